#include "platform/text_encoding.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

namespace ardelle::platform {
namespace {

// An iconv conversion descriptor, closed on every path.
class Converter {
  public:
    Converter(const std::string& to, const char* from) : cd_(::iconv_open(to.c_str(), from)) {}
    ~Converter() {
        if (valid()) {
            ::iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// Runs iconv until it has taken all input (or, with null input, ended the shift state of
// stateful sets), growing out whenever iconv asks for room.
bool Pump(iconv_t cd, char** in, size_t* in_left, std::string& out, size_t& used) {
    for (;;) {
        char* put = out.data() + used;
        size_t out_left = out.size() - used;
        const size_t result = ::iconv(cd, in, in_left, &put, &out_left);
        used = out.size() - out_left;
        if (result != static_cast<size_t>(-1)) {
            return true;
        }
        if (errno != E2BIG) {
            return false;  // EILSEQ: a character the set lacks; EINVAL: broken input
        }
        out.resize(out.size() * 2);
    }
}

bool ConvertAll(iconv_t cd, std::string_view text, std::string& out) {
    out.resize(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());  // iconv's signature; the input is not changed
    size_t in_left = text.size();
    size_t used = 0;
    if (!Pump(cd, &in, &in_left, out, used) || !Pump(cd, nullptr, nullptr, out, used)) {
        return false;
    }
    out.resize(used);
    return true;
}

}  // namespace

std::string UserCharset() {
    // A locale object of its own: the process-wide locale is left alone, and the answer is
    // the user's even when nobody called setlocale.
    locale_t user = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) {
        user = ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }
    if (user == static_cast<locale_t>(nullptr)) {
        return "ANSI_X3.4-1968";
    }
    std::string charset = ::nl_langinfo_l(CODESET, user);
    ::freelocale(user);
    return charset;
}

bool IsUtf8Charset(std::string_view charset) {
    return charset == "UTF-8" || charset == "utf-8" || charset == "UTF8" || charset == "utf8";
}

std::optional<std::string> ConvertFromUtf8(std::string_view text, const std::string& charset) {
    const Converter converter(charset, "UTF-8");
    if (!converter.valid()) {
        return std::nullopt;
    }
    std::string out;
    if (!ConvertAll(converter.get(), text, out)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace ardelle::platform
