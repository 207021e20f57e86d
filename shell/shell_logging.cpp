#include "shell/shell_logging.h"

Q_LOGGING_CATEGORY(lcShell, "duvara.shell", QtInfoMsg)
