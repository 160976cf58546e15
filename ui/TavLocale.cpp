#include "ui/TavLocale.h"

#include <QLocale>

#include "core/LocaleFormat.h"
#include "ui/QtText.h"

namespace {

// One separator character in Windows-1250; `fallback` when the locale's has no single byte there
// (a narrow no-break space, for one).
char separator1250(const QString& separator, char fallback) {
    const std::string text = text1250(separator);
    if (text.size() != 1 || (text[0] == '?' && separator != QStringLiteral("?"))) return fallback;
    return text[0];
}

}  // namespace

void fillLocaleFormat(const QLocale& locale) {
    TLocaleFormat& format = localeFormat();
    format.decimalSeparator = separator1250(locale.decimalPoint(), '.');
    if (locale.numberOptions() & QLocale::OmitGroupSeparator) {
        format.thousandSeparator = 0;
    } else {
        // A blank-like group separator without a byte of its own becomes the no-break space.
        format.thousandSeparator = separator1250(locale.groupSeparator(), '\xA0');
    }
    format.shortDateFormat = text1250(locale.dateFormat(QLocale::ShortFormat));
    format.longTimeFormat = text1250(locale.timeFormat(QLocale::LongFormat));
}
