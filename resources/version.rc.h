// Version information shared by the program and the extension.
#define QM_VERSION_NUM 0, 1, 0, 0
#define QM_VERSION_STR "0.1.0.0"
