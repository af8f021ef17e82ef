#pragma once
// Every English text the system passes to the string lookup, in one list. The windows, the theme
// store, the engine and the extension name their texts from here; a language-file template is
// generated from the same list (quillmark-cli lang template). Texts are written exactly as they are
// passed (trailing dots and outer blanks included); the lookup normalises them to their keys.
#include <string_view>

// X(name, english)
#define QM_ENGLISH_TEXTS(X)                                                                                          \
    /* main window, design texts */                                                                                  \
    X(kIconForSelectedFolder, "Icon for selected folder")                                                            \
    X(kChangeIconForFolder, "Change Icon for Folder:")                                                               \
    X(kTooltipForFolder, "Tooltip for Folder:")                                                                      \
    X(kSelectedIcon, "Selected Icon:")                                                                               \
    X(kNumberOfIcon, "# of icon:")                                                                                   \
    X(kSelectIconEllipsis, "Select icon...")                                                                         \
    X(kClose, "Close")                                                                                               \
    X(kApply, "Apply")                                                                                               \
    X(kSelectFolderEllipsis, "Select folder...")                                                                     \
    X(kResetFolderIcon, "Reset folder icon")                                                                         \
    X(kSaveOptions, "Save Options")                                                                                  \
    X(kChangeContextMenuTheme, "Change contex menu icon-theme ...")                                                  \
    X(kHowToInstallIcon, "How to install icon:")                                                                     \
    X(kOnlyMakeALink, "Only make a link to icl-theme. Do not extract any icons.")                                    \
    X(kExtractIconToFile,                                                                                            \
      "Extract icon from icl-theme to a single file /n copy to the customized folder. ( Default )")                  \
    X(kToolbarTheme, "Theme for Quillmark toolbar")                                                                  \
    X(kRestartForToolbarTheme, "Please Restart application to apply default toolbar theme")                          \
    X(kIntegrationToShell, "Integration to shell")                                                                   \
    X(kAddInstallThemeMenuItem, "Add \"Install Theme\" menu item for IconLibraries ( ICL )")                         \
    X(kIconCacheGroup, " Icon cache ")                                                                               \
    X(kRebuildIconCacheInfo,                                                                                         \
      "Rebuilds all Explorer icons and removes unused Explorer icons from memory. /n /n Rebuild icon when you "      \
      "find that Explorer is displaying the wrong icon for a programm or shortcut.")                                 \
    X(kRebuildIconCache, "Rebuild Icon-cache")                                                                       \
    X(kWindows11MenuOn, "Windows 11 menu: on")                                                                       \
    X(kWindows11MenuOff, "Windows 11 menu: off")                                                                     \
    X(kWindows11MenuNotAvailable, "Windows 11 menu: not available")                                                  \
    X(kWindows11MenuNoPackage, "no package beside the program")                                                      \
    X(kWindows11MenuProvisioned, "provisioned; appears at the next sign-in")                                         \
    X(kWindows11MenuUnsigned, "unsigned build; only an all-users installation registers it")                         \
    X(kWindows11MenuNotRegistered, "package not registered")                                                         \
    X(kCurrentLanguage, "Current language:")                                                                         \
    X(kDoubleClickToSetLanguage, "Double click to setup it as current language ")                                    \
    X(kRestartForLanguage, "* Please Restart application to apply Language")                                         \
    X(kDownloadLanguages, "Download additional languages from internet")                                             \
    X(kInfoGroup, " Info: ")                                                                                         \
    X(kAuthor, "Author:")                                                                                            \
    X(kWww, "www:")                                                                                                  \
    X(kEmail, "e-mail:")                                                                                             \
    /* main window, by code */                                                                                       \
    X(kToolbarChangeIcon, "Change /nicon")                                                                           \
    X(kToolbarOptions, "Options")                                                                                    \
    X(kToolbarLanguage, "Language")                                                                                  \
    X(kToolbarTools, "Tools")                                                                                        \
    X(kToolbarAbout, "About")                                                                                        \
    X(kWarning, "Warning")                                                                                           \
    X(kPleaseSelectFolder, "Please select folder")                                                                   \
    X(kSelectFolder, "Select folder")                                                                                \
    X(kSorryEllipsis, "Sorry ...")                                                                                   \
    X(kCannotChangeIconNoRights,                                                                                     \
      "Sorry, but Quillmark cannot change icon of this folder. /nrights to write to this folder")                    \
    X(kInstallAsTheme, "Install as Theme for Quillmark")                                                             \
    /* icon picker */                                                                                                \
    X(kSelect, "Select")                                                                                             \
    X(kCancel, "Cancel")                                                                                             \
    X(kIconLibraries, "Icon libraries:")                                                                             \
    X(kSelectIconForFolder, "Select Icon for Folder")                                                                \
    X(kAddThemeToCollection, "Add Theme to collection")                                                              \
    X(kIconLibrary, "Icon Library")                                                                                  \
    X(kIColorFolderTheme, "iColorFolder Theme")                                                                      \
    X(kInfo, "Info")                                                                                                 \
    X(kPleaseSelectThemeToDelete, "Please select theme to delete")                                                   \
    X(kOnlyAdministratorDeletesShippedTheme, "This theme came with Quillmark: only an administrator can delete it.") \
    X(kPleaseSelectIcon, "Please select icon.")                                                                      \
    /* custom icon window */                                                                                         \
    X(kSelectCustomIconEllipsis, "Select custom icon...")                                                            \
    X(kPlus, "+")                                                                                                    \
    X(kMinus, "-")                                                                                                   \
    X(kPleaseSelectIconOrTip, "Please select icon or enter description for folder.")                                 \
    X(kColourEllipsis, "Colour...")                                                                                  \
    X(kFilesWithIconsAndPicturesFilter,                                                                              \
      "Files with icons and pictures|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff")           \
    X(kMadeIconIsCopied,                                                                                             \
      "A picture or a colour cannot be linked: /n the icon is copied into the folder.")                              \
    /* context-menu theme window */                                                                                  \
    X(kContextMenuThemeCaption, "Theme for Quillmark Context menu")                                                  \
    X(kAvailableThemes, "Available themes")                                                                          \
    X(kDoubleClickToSetTheme, "Double click on theme to set it as theme for Quillmark context menu.")                \
    X(kCurrentTheme, "Current Theme")                                                                                \
    X(kAddShellIcons, "Add Shell Icons")                                                                             \
    /* theme store */                                                                                                \
    X(kUnknownThemeFile, "Quillmark do not knows ho to use this file.")                                              \
    X(kSorryError, "Sorry, Error")                                                                                   \
    X(kAccept, "Accept ?")                                                                                           \
    X(kThemeWithName, "Theme with name:")                                                                            \
    X(kAlreadyExistsSameSize, "already exists in your collection, and was have same file-size")                      \
    X(kAlreadyExistsDifferentSize, "already exists in your collection, but was have different file-size")            \
    X(kReplaceOldTheme, "Do you want to replace old theme ?")                                                        \
    X(kErrorCopyingTheme, "Sorry, occured error when copying  theme")                                                \
    X(kErrorDeletingOldTheme, "Sorry, occured error when deleting old theme")                                        \
    X(kDeleteTheme, "Delete theme:")                                                                                 \
    X(kFromYourCollection, "from your collection ?")                                                                 \
    X(kErrorDeletingTheme, "Sorry, occured error when deleting theme")                                               \
    /* context-menu extension */                                                                                     \
    X(kMenuReset, "Reset")                                                                                           \
    X(kMenuChangeThemeEllipsis, "Change Theme...")                                                                   \
    X(kMenuAboutEllipsis, "About Quillmark...")                                                                      \
    X(kCannotChangeIconReadOnly,                                                                                     \
      "Sorry, but Quillmark cannot change icon of this folder. /n Because this folder on read-onle media or "        \
      "you do not have rights to write to this folder")

namespace qm::texts {

#define QM_DECLARE_ENGLISH_TEXT(name, english) inline constexpr std::string_view name = english;
QM_ENGLISH_TEXTS(QM_DECLARE_ENGLISH_TEXT)
#undef QM_DECLARE_ENGLISH_TEXT

// All of them, in the order above (a text used by several windows appears once).
inline constexpr std::string_view kAll[] = {
#define QM_LIST_ENGLISH_TEXT(name, english) name,
    QM_ENGLISH_TEXTS(QM_LIST_ENGLISH_TEXT)
#undef QM_LIST_ENGLISH_TEXT
};

}  // namespace qm::texts
