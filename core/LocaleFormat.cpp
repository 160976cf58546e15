#include "core/LocaleFormat.h"

TLocaleFormat& localeFormat() {
    static TLocaleFormat format;
    return format;
}
