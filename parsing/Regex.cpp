#include "parsing/Regex.h"

#include <locale>

namespace tw {

namespace {
std::locale WideLocale() {
    try {
        return std::locale("C.UTF-8");
    } catch (...) {
        try {
            return std::locale("en_US.UTF-8");
        } catch (...) {
            return std::locale::classic();
        }
    }
}
} // namespace

WRegex MakeRegex(const wchar_t* pattern) {
    static const std::locale loc = WideLocale();
    WRegex re;
    re.imbue(loc);
    re.assign(pattern, boost::regex_constants::perl);
    return re;
}

} // namespace tw
