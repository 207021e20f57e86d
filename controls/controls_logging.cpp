#include "controls/controls_logging.h"

Q_LOGGING_CATEGORY(lcControls, "duvara.controls", QtInfoMsg)
