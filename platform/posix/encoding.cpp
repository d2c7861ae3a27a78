// CP932 <-> UTF-8 conversion through glibc's iconv ("CP932" is Microsoft's Shift-JIS table, so
// 0x8160 maps to U+FF5E as Windows does). The lossy variant keeps a damaged catalogue readable.
#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

// Owns one iconv descriptor; conversion state is reset per call.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as possible, appending to `out`; advances `in` past what was
    // consumed. Returns 0 on full success, otherwise the errno that stopped it.
    int convert(std::string_view& in, std::string& out) {
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[1024];
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        int error = 0;
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                error = errno;
                break;
            }
        }
        flush(out);
        in.remove_prefix(in.size() - srcLeft);
        return error;
    }

  private:
    void flush(std::string& out) {
        char buffer[16];
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
    }

    iconv_t cd_;
};

std::optional<std::string> convertStrict(const char* to, const char* from, std::string_view in) {
    Converter converter(to, from);
    if (!converter.valid()) return std::nullopt;
    std::string out;
    out.reserve(in.size() * 3 / 2);
    if (converter.convert(in, out) != 0 || !in.empty()) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> cp932ToUtf8(std::string_view cp932) {
    return convertStrict("UTF-8", "CP932", cp932);
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    return convertStrict("CP932", "UTF-8", utf8);
}

std::string cp932ToUtf8Lossy(std::string_view cp932) {
    Converter converter("UTF-8", "CP932");
    if (!converter.valid()) return std::string(cp932.size(), '?');
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    while (!cp932.empty()) {
        if (converter.convert(cp932, out) == 0 && cp932.empty()) break;
        // Skip one byte and resync, so a stray byte costs only itself.
        out += "\xEF\xBF\xBD";
        cp932.remove_prefix(1);
    }
    return out;
}

}  // namespace platform
