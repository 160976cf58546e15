#pragma once

class QLocale;

// Fills the core's locale setting (decimal and thousands separators, short date and long time
// patterns) from a Qt locale; the program passes the user's locale at start.
void fillLocaleFormat(const QLocale& locale);
