// Helpers shared by the PDF writer tests.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "ScratchFolder.h"
#include "ShellCommand.h"

extern "C" {
#include "opdfInternal.h"
}

namespace opdftest {

struct Reported {
    int level;
    std::string module;
    std::string text;
};

// Collects the document's reports; installed with the collector as user data.
inline int collectingHandler(PDFDocContext* ctx, int level, const char* module,
                             const char* format, va_list args)
{
    auto* out = static_cast<std::vector<Reported>*>(opdf_getUserData(ctx));
    char buf[2048];
    vsnprintf(buf, sizeof buf, format, args);
    if (out)
        out->push_back({level, module ? module : "", buf});
    return 0;
}

inline void collectReports(PDFDocContext* ctx, std::vector<Reported>* into)
{
    opdf_setUserData(ctx, into);
    opdf_setErrorHandler(ctx, collectingHandler);
}

inline bool hasReport(const std::vector<Reported>& r, const std::string& text)
{
    for (const auto& x : r)
        if (x.text == text)
            return true;
    return false;
}

using lrbtest::CommandResult;
using lrbtest::run;
using lrbtest::toolAvailable;

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

using TempDir = lrbtest::ScratchFolder;

// Object headers "n 0 obj" with their byte offsets, in file order.
inline std::vector<std::pair<int, size_t>> objectHeaders(const std::string& pdf)
{
    std::vector<std::pair<int, size_t>> out;
    static const std::regex re("(^|\n)([0-9]+) 0 obj\n");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), re); it != std::sregex_iterator();
         ++it) {
        size_t pos = (size_t)it->position(2);
        out.emplace_back(std::stoi((*it)[2].str()), pos);
    }
    return out;
}

// The text of object n from its header to "endobj".
inline std::string objectText(const std::string& pdf, int n)
{
    std::string head = std::to_string(n) + " 0 obj\n";
    size_t p = pdf.find("\n" + head);
    if (p == std::string::npos)
        return "";
    p += 1;
    size_t e = pdf.find("endobj\n", p);
    return pdf.substr(p, e == std::string::npos ? std::string::npos : e + 7 - p);
}

// The current page's content built in memory so far.
inline std::string currentContent(PDFDocContext* ctx)
{
    if (!ctx->content)
        return "";
    return std::string((const char*)ctx->content->buffer, (size_t)ctx->content->length);
}

} // namespace opdftest
