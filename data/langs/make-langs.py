#!/usr/bin/env python3
"""Writes the shipped language files (Russian.ini, German.ini, French.ini: UTF-16LE with a
byte-order mark, sections "info" and "Dict") and their 16 x 16 flag icons (Russian.ico, ...).

The keys and their order come from the program's own template (quillmark-cli lang template);
every key must have a translation below, or nothing is written.

    data/langs/make-langs.py [TEMPLATE.ini]

Without TEMPLATE.ini it builds quillmark-cli with the native preset and asks it for one.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

LANGUAGES = [
    # file stem, NativeName, flag stripes (colours as RGB, and whether they run across)
    ("Russian", "Русский", [(0xFF, 0xFF, 0xFF), (0x00, 0x39, 0xA6), (0xD5, 0x2B, 0x1E)], "horizontal"),
    ("German", "Deutsch", [(0x00, 0x00, 0x00), (0xDD, 0x00, 0x00), (0xFF, 0xCE, 0x00)], "horizontal"),
    ("French", "Français", [(0x00, 0x55, 0xA4), (0xFF, 0xFF, 0xFF), (0xEF, 0x41, 0x35)], "vertical"),
]
VERSION = "1.0"
AUTHOR = "Quillmark developers"

# English key -> (Russian, German, French). "/n" is a line break, as in the English text.
T = {
    "Icon for selected folder": (
        "Значок для выбранной папки", "Symbol für den gewählten Ordner", "Icône du dossier choisi"),
    "Change Icon for Folder:": (
        "Сменить значок папки:", "Symbol ändern für Ordner:", "Changer l'icône du dossier :"),
    "Tooltip for Folder:": ("Подсказка для папки:", "QuickInfo für den Ordner:", "Info-bulle du dossier :"),
    "Selected Icon:": ("Выбранный значок:", "Gewähltes Symbol:", "Icône choisie :"),
    "# of icon:": ("Номер значка:", "Nr. des Symbols:", "N° de l'icône :"),
    "Select icon": ("Выбрать значок", "Symbol wählen", "Choisir une icône"),
    "Close": ("Закрыть", "Schließen", "Fermer"),
    "Apply": ("Применить", "Anwenden", "Appliquer"),
    "Select folder": ("Выбрать папку", "Ordner wählen", "Parcourir"),
    "Reset folder icon": ("Сбросить значок папки", "Symbol zurücksetzen", "Rétablir l'icône d'origine"),
    "Save Options": ("Сохранить", "Speichern", "Enregistrer"),
    "Change contex menu icon-theme": (
        "Тема значков контекстного меню",
        "Symbolthema des Kontextmenüs ändern",
        "Thème d'icônes du menu contextuel"),
    "How to install icon:": (
        "Как устанавливать значок:", "So wird das Symbol eingesetzt:", "Mode d'installation de l'icône :"),
    "Only make a link to icl-theme. Do not extract any icons.": (
        "Только ссылка на icl-тему. Значки не извлекаются.",
        "Nur auf das icl-Thema verweisen. Keine Symbole extrahieren.",
        "Seulement un lien vers le thème icl. N'extraire aucune icône."),
    "Extract icon from icl-theme to a single file /n copy to the customized folder. ( Default )": (
        "Извлечь значок из icl-темы в отдельный файл /n и скопировать в настраиваемую папку. ( По умолчанию )",
        "Symbol aus dem icl-Thema in eine eigene Datei extrahieren /n und in den angepassten Ordner kopieren. ( Standard )",
        "Extraire l'icône du thème icl dans un fichier séparé /n copié dans le dossier personnalisé. ( Par défaut )"),
    "Theme for Quillmark toolbar": (
        "Тема панели инструментов Quillmark", "Thema der Quillmark-Symbolleiste",
        "Thème de la barre d'outils de Quillmark"),
    "Please Restart application to apply default toolbar theme": (
        "Перезапустите программу, чтобы вернуть стандартную тему панели инструментов",
        "Neustart nötig, um das Standardthema der Symbolleiste zu verwenden",
        "Redémarrez l'application pour revenir au thème par défaut de la barre d'outils"),
    "Integration to shell": ("Интеграция с Проводником", "Einbindung in den Explorer", "Intégration à l'Explorateur"),
    'Add "Install Theme" menu item for IconLibraries ( ICL )': (
        "Добавить пункт меню «Установить тему» для библиотек значков ( ICL )",
        "Menüeintrag „Thema installieren“ für Symbolbibliotheken ( ICL ) hinzufügen",
        "Ajouter l'élément de menu « Installer le thème » aux bibliothèques d'icônes ( ICL )"),
    "Icon cache": ("Кэш значков", "Symbol-Cache", "Cache des icônes"),
    "Rebuilds all Explorer icons and removes unused Explorer icons from memory. /n /n Rebuild icon when you "
    "find that Explorer is displaying the wrong icon for a programm or shortcut.": (
        "Заново строит все значки Проводника и удаляет из памяти неиспользуемые. /n /n "
        "Перестройте кэш, если Проводник показывает неверный значок программы или ярлыка.",
        "Baut alle Symbole des Explorers neu auf und entfernt nicht verwendete Symbole aus dem Speicher. /n /n "
        "Bauen Sie den Cache neu auf, wenn der Explorer für ein Programm oder eine Verknüpfung das falsche "
        "Symbol anzeigt.",
        "Reconstruit toutes les icônes de l'Explorateur et retire de la mémoire celles qui ne servent plus. /n /n "
        "Reconstruisez le cache lorsque l'Explorateur affiche une mauvaise icône pour un programme ou un "
        "raccourci."),
    "Rebuild Icon-cache": ("Перестроить кэш значков", "Symbol-Cache erneuern", "Reconstruire le cache"),
    "Windows 11 menu: on": ("Меню Windows 11: включено", "Windows-11-Menü: an", "Menu de Windows 11 : activé"),
    "Windows 11 menu: off": ("Меню Windows 11: выключено", "Windows-11-Menü: aus", "Menu de Windows 11 : désactivé"),
    "Windows 11 menu: not available": (
        "Меню Windows 11: недоступно", "Windows-11-Menü: nicht verfügbar", "Menu de Windows 11 : non disponible"),
    "no package beside the program": (
        "нет пакета рядом с программой", "kein Paket neben dem Programm", "aucun paquet à côté du programme"),
    "provisioned; appears at the next sign-in": (
        "подготовлено; появится при следующем входе",
        "bereitgestellt; erscheint bei der nächsten Anmeldung",
        "provisionné ; apparaît à la prochaine ouverture de session"),
    "unsigned build; only an all-users installation registers it": (
        "сборка без подписи; её регистрирует только установка для всех пользователей",
        "unsignierter Build; nur eine Installation für alle Benutzer registriert ihn",
        "version non signée ; seule une installation pour tous les utilisateurs l'enregistre"),
    "package not registered": ("пакет не зарегистрирован", "Paket nicht registriert", "paquet non enregistré"),
    "Current language:": ("Текущий язык:", "Aktuelle Sprache:", "Langue actuelle :"),
    "Double click to setup it as current language": (
        "Дважды щёлкните, чтобы сделать язык текущим",
        "Doppelklick stellt die Sprache ein",
        "Double-cliquez pour choisir cette langue"),
    "* Please Restart application to apply Language": (
        "* Перезапустите программу, чтобы применить язык",
        "* Bitte starten Sie das Programm neu, um die Sprache zu übernehmen",
        "* Redémarrez l'application pour appliquer la langue"),
    "Download additional languages from internet": (
        "Загрузить другие языки из Интернета",
        "Weitere Sprachen aus dem Internet herunterladen",
        "Télécharger d'autres langues depuis Internet"),
    "Info:": ("Сведения:", "Info:", "Infos :"),
    "Author:": ("Автор:", "Autor:", "Auteur :"),
    "www:": ("Сайт:", "Web:", "Site web :"),
    "e-mail:": ("Эл. почта:", "E-Mail:", "Courriel :"),
    "Change /nicon": ("Сменить /nзначок", "Symbol /nändern", "Changer /nl'icône"),
    "Options": ("Настройки", "Optionen", "Options"),
    "Language": ("Язык", "Sprache", "Langue"),
    "Tools": ("Сервис", "Extras", "Outils"),
    "About": ("Сведения", "Über", "À propos"),
    "Warning": ("Предупреждение", "Warnung", "Avertissement"),
    "Please select folder": ("Выберите папку", "Bitte wählen Sie einen Ordner", "Veuillez choisir un dossier"),
    "Sorry": ("Извините", "Entschuldigung", "Désolé"),
    "Sorry, but Quillmark cannot change icon of this folder. /nrights to write to this folder": (
        "К сожалению, Quillmark не может сменить значок этой папки. /nНет прав на запись в эту папку",
        "Quillmark kann das Symbol dieses Ordners leider nicht ändern. /nKeine Schreibrechte für diesen Ordner",
        "Désolé, Quillmark ne peut pas changer l'icône de ce dossier. /nPas de droit d'écriture dans ce dossier"),
    "Install as Theme for Quillmark": (
        "Установить как тему Quillmark", "Als Quillmark-Thema installieren", "Installer comme thème Quillmark"),
    "Select": ("Выбрать", "Auswählen", "Choisir"),
    "Cancel": ("Отмена", "Abbrechen", "Annuler"),
    "Icon libraries:": ("Библиотеки значков:", "Symbolbibliotheken:", "Bibliothèques d'icônes :"),
    "Select Icon for Folder": ("Выбор значка для папки", "Symbol für den Ordner wählen", "Choisir l'icône du dossier"),
    "Add Theme to collection": (
        "Добавить тему в коллекцию", "Thema zur Sammlung hinzufügen", "Ajouter un thème à la collection"),
    "Icon Library": ("Библиотека значков", "Symbolbibliothek", "Bibliothèque d'icônes"),
    "iColorFolder Theme": ("Тема iColorFolder", "iColorFolder-Thema", "Thème iColorFolder"),
    "Info": ("Информация", "Hinweis", "Information"),
    "This theme came with Quillmark: only an administrator can delete it.": (
        "Эта тема поставляется с Quillmark: удалить её может только администратор.",
        "Dieses Thema gehört zu Quillmark: nur ein Administrator kann es löschen.",
        "Ce thème est fourni avec Quillmark : seul un administrateur peut le supprimer."),
    "Please select theme to delete": (
        "Выберите тему для удаления", "Bitte wählen Sie das zu löschende Thema",
        "Veuillez choisir le thème à supprimer"),
    "Please select icon.": ("Выберите значок.", "Bitte wählen Sie ein Symbol.", "Veuillez choisir une icône."),
    "Select custom icon": ("Свой значок", "Eigenes Symbol", "Autre icône"),
    "+": ("+", "+", "+"),
    "-": ("-", "-", "-"),
    "Files with icons and pictures|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff": (
        "Файлы со значками и картинки|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff",
        "Dateien mit Symbolen und Bilder|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff",
        "Fichiers contenant des icônes et images|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff"),
    "Colour": ("Цвет", "Farbe", "Couleur"),
    "A picture or a colour cannot be linked: /n the icon is copied into the folder.": (
        "Картинку или цвет нельзя связать ссылкой: /n значок копируется в папку.",
        "Ein Bild oder eine Farbe kann nicht verknüpft werden: /n das Symbol wird in den Ordner kopiert.",
        "Une image ou une couleur ne peut pas être liée : /n l'icône est copiée dans le dossier."),
    "Please select icon or enter description for folder.": (
        "Выберите значок или введите описание папки.",
        "Bitte wählen Sie ein Symbol oder geben Sie eine Beschreibung für den Ordner ein.",
        "Veuillez choisir une icône ou saisir une description du dossier."),
    "Theme for Quillmark Context menu": (
        "Тема контекстного меню Quillmark", "Thema des Quillmark-Kontextmenüs",
        "Thème du menu contextuel de Quillmark"),
    "Available themes": ("Доступные темы", "Verfügbare Themen", "Thèmes disponibles"),
    "Double click on theme to set it as theme for Quillmark context menu.": (
        "Дважды щёлкните тему, чтобы назначить её темой контекстного меню Quillmark.",
        "Doppelklicken Sie auf ein Thema, um es zum Thema des Quillmark-Kontextmenüs zu machen.",
        "Double-cliquez sur un thème pour en faire le thème du menu contextuel de Quillmark."),
    "Current Theme": ("Текущая тема", "Aktuelles Thema", "Thème actuel"),
    "Add Shell Icons": ("Добавить системные значки", "System-Symbole hinzufügen", "Ajouter les icônes du système"),
    "Quillmark do not knows ho to use this file.": (
        "Quillmark не умеет работать с этим файлом.",
        "Quillmark kann mit dieser Datei nichts anfangen.",
        "Quillmark ne sait pas utiliser ce fichier."),
    "Sorry, Error": ("Ошибка", "Fehler", "Erreur"),
    "Accept ?": ("Подтверждение", "Bestätigen?", "Confirmer ?"),
    "Theme with name:": ("Тема с именем:", "Das Thema mit dem Namen:", "Le thème nommé :"),
    "already exists in your collection, and was have same file-size": (
        "уже есть в вашей коллекции, и размер файла тот же",
        "ist bereits in Ihrer Sammlung, mit derselben Dateigröße",
        "existe déjà dans votre collection, avec la même taille de fichier"),
    "already exists in your collection, but was have different file-size": (
        "уже есть в вашей коллекции, но размер файла другой",
        "ist bereits in Ihrer Sammlung, aber mit einer anderen Dateigröße",
        "existe déjà dans votre collection, mais avec une autre taille de fichier"),
    "Do you want to replace old theme ?": (
        "Заменить старую тему?", "Möchten Sie das alte Thema ersetzen?", "Voulez-vous remplacer l'ancien thème ?"),
    "Sorry, occured error when copying  theme": (
        "Извините, при копировании темы произошла ошибка",
        "Beim Kopieren des Themas ist leider ein Fehler aufgetreten",
        "Désolé, une erreur s'est produite lors de la copie du thème"),
    "Sorry, occured error when deleting old theme": (
        "Извините, при удалении старой темы произошла ошибка",
        "Beim Löschen des alten Themas ist leider ein Fehler aufgetreten",
        "Désolé, une erreur s'est produite lors de la suppression de l'ancien thème"),
    "Delete theme:": ("Удалить тему:", "Thema löschen:", "Supprimer le thème :"),
    "from your collection ?": ("из вашей коллекции?", "aus Ihrer Sammlung?", "de votre collection ?"),
    "Sorry, occured error when deleting theme": (
        "Извините, при удалении темы произошла ошибка",
        "Beim Löschen des Themas ist leider ein Fehler aufgetreten",
        "Désolé, une erreur s'est produite lors de la suppression du thème"),
    "Reset": ("Сбросить", "Zurücksetzen", "Rétablir"),
    "Change Theme": ("Сменить тему", "Thema wechseln", "Changer de thème"),
    "About Quillmark": ("О Quillmark", "Über Quillmark", "À propos de Quillmark"),
    "Sorry, but Quillmark cannot change icon of this folder. /n Because this folder on read-onle media or you "
    "do not have rights to write to this folder": (
        "К сожалению, Quillmark не может сменить значок этой папки. /n Папка находится на носителе только "
        "для чтения, или у вас нет прав на запись в неё",
        "Quillmark kann das Symbol dieses Ordners leider nicht ändern. /n Der Ordner liegt auf einem "
        "schreibgeschützten Datenträger, oder Sie haben keine Schreibrechte für ihn",
        "Désolé, Quillmark ne peut pas changer l'icône de ce dossier. /n Il se trouve sur un support en "
        "lecture seule, ou vous n'avez pas le droit d'y écrire"),
}


def template_keys(path):
    """The keys of the template's Dict section, in order."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\xff\xfe"):
        sys.exit(f"make-langs: {path} is not UTF-16LE with a byte-order mark")
    keys, section = [], None
    for line in data[2:].decode("utf-16-le").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].lower()
        elif section == "dict" and "=" in line:
            keys.append(line.split("=", 1)[0].strip())
    return keys


def make_template():
    subprocess.run(["cmake", "--preset", "native"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "native", "--target", "quillmark-cli", "-j2"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    out = os.path.join(tempfile.mkdtemp(), "template.ini")
    subprocess.run([os.path.join(ROOT, "build", "native", "quillmark-cli"), "lang", "template", out], check=True)
    return out


def flag_icon(stripes, direction):
    """A 16 x 16 icon, 32 bits with alpha: a 16 x 11 flag of three stripes with a grey rim,
    transparent above and below."""
    w = h = 16
    top, bottom = 2, 13  # rows 2..12, counted from the top
    border = (0x50, 0x50, 0x50)
    rows = []
    for y in range(h):  # top-down here, written bottom-up below
        row = []
        for x in range(w):
            if not top <= y < bottom:
                row.append((0, 0, 0, 0))
                continue
            if y in (top, bottom - 1) or x in (0, w - 1):
                row.append(border + (0xFF,))
                continue
            if direction == "horizontal":
                i = min(2, (y - top - 1) * 3 // (bottom - top - 2))
            else:
                i = min(2, (x - 1) * 3 // (w - 2))
            row.append(stripes[i] + (0xFF,))
        rows.append(row)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = b"".join(
        (sum((1 << (15 - x)) for x in range(w) if row[x][3] == 0)).to_bytes(2, "big") + b"\0\0"
        for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 22) + image


def main():
    template = sys.argv[1] if len(sys.argv) > 1 else make_template()
    keys = template_keys(template)
    missing = [k for k in keys if k not in T]
    if missing:
        sys.exit("make-langs: no translation for: " + "; ".join(repr(k) for k in missing))
    for k in T:
        if k not in keys:
            print(f"make-langs: not a key any more: {k!r}", file=sys.stderr)
    for column, (stem, native, stripes, direction) in enumerate(LANGUAGES):
        lines = ["[info]", f"NativeName={native}", f"Ver={VERSION}", f"Author={AUTHOR}", "www=", "email=", "",
                 "[Dict]"]
        lines += [f"{k}={T[k][column]}" for k in keys]
        with open(os.path.join(HERE, stem + ".ini"), "wb") as f:
            f.write(b"\xff\xfe" + "\r\n".join(lines + [""]).encode("utf-16-le"))
        with open(os.path.join(HERE, stem + ".ico"), "wb") as f:
            f.write(flag_icon(stripes, direction))
        print(f"make-langs: data/langs/{stem}.ini ({len(keys)} keys) and {stem}.ico")


if __name__ == "__main__":
    main()
