#include "batch/BatchText.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <memory>

#include "batch/BatchOptions.h"
#include "import/ImportText.h"

namespace {

// The locale's character set; the C locale's ASCII is read as UTF-8, of which it is a part.
std::string localeCharset() {
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII") return "UTF-8";
    return codeset;
}

}  // namespace

std::string argumentTo1250(const std::string& option, const std::string& text) {
    bool ascii = true;
    for (unsigned char c : text)
        ascii = ascii && c < 0x80;
    if (ascii) return text;
    const std::string charset = localeCharset();
    const iconv_t cd = iconv_open("WINDOWS-1250", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw EBatchUsage{option + ": the text cannot be converted from " + charset};
    const std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
    std::string in = text;
    std::string out(text.size(), '\0');  // never longer in a one-byte code page
    char* from = in.data();
    size_t fromLeft = in.size();
    char* to = out.data();
    size_t toLeft = out.size();
    if (iconv(cd, &from, &fromLeft, &to, &toLeft) == static_cast<size_t>(-1)) {
        // The text itself is not echoed: it is not Windows-1250, which messages are.
        if (errno == EILSEQ && (charset != "UTF-8" || isValidUtf8(text))) {
            throw EBatchUsage{option +
                              ": the text holds a character that the table's code page "
                              "(Windows-1250) cannot hold"};
        }
        throw EBatchUsage{option + ": the text is not valid " + charset};
    }
    out.resize(out.size() - toLeft);
    return out;
}
