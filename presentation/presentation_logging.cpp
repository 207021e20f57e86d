#include "presentation/presentation_logging.h"

Q_LOGGING_CATEGORY(lcPresentation, "duvara.presentation", QtInfoMsg)
