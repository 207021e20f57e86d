#include "media/media_logging.h"

Q_LOGGING_CATEGORY(lcMedia, "duvara.media", QtInfoMsg)
