#include "support/SupportLib.h"

#include "support/TextUtil.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tw {

std::wstring GetExecDir() {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return L".";
    std::string exe(buf.data(), static_cast<std::size_t>(n));
    std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return L".";
    if (slash == 0)
        return L"/";
    return FromUtf8(exe.substr(0, slash));
}

std::wstring GetExecPath() {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    return FromUtf8(std::string(buf.data(), static_cast<std::size_t>(n)));
}

bool TrimLogFile(const std::wstring& path, std::uint64_t keepSize, std::uint64_t maxSize) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p(ToUtf8(path));
    auto size = fs::file_size(p, ec);
    if (ec)
        return !fs::exists(p, ec);
    if (size <= maxSize)
        return true;
    std::string tail;
    {
        std::ifstream in(p, std::ios::binary);
        if (!in)
            return false;
        std::uint64_t from = size > keepSize ? size - keepSize : 0;
        in.seekg(static_cast<std::streamoff>(from));
        tail.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        // Start at the first whole line of the kept part.
        if (from > 0) {
            std::size_t lf = tail.find('\n');
            tail.erase(0, lf == std::string::npos ? tail.size() : lf + 1);
        }
    }
    // Write beside the log and rename over it, so a failure never leaves a
    // half-written log.
    fs::path tmp = p;
    tmp += ".trim";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        if (!out.flush())
            return false;
    }
    fs::rename(tmp, p, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

std::wstring GetDataFromXML(const std::wstring& xml, const std::wstring& element) {
    if (element.empty())
        return {};
    const std::wstring open = L"<" + element;
    const std::wstring close = L"</" + element + L">";
    std::size_t at = 0;
    while ((at = xml.find(open, at)) != std::wstring::npos) {
        std::size_t after = at + open.size();
        // The name must end here: "<game" must not match "<gametype>".
        if (after < xml.size() &&
            (xml[after] == L'>' || xml[after] == L' ' || xml[after] == L'\t' ||
             xml[after] == L'\r' || xml[after] == L'\n' || xml[after] == L'/')) {
            std::size_t gt = xml.find(L'>', after);
            if (gt == std::wstring::npos)
                return {};
            if (xml[gt - 1] == L'/')
                return {}; // an empty element
            std::size_t end = xml.find(close, gt + 1);
            if (end == std::wstring::npos)
                return {};
            return xml.substr(gt + 1, end - gt - 1);
        }
        at = after;
    }
    return {};
}

std::int64_t mod_SSE2(std::int64_t a, std::int64_t b) {
    if (b == 0)
        return 0;
    if (b == -1)
        return 0; // avoids the overflow of INT64_MIN % -1
    return a % b;
}

} // namespace tw
