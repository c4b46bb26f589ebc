#include "core/wildcard.h"

#include "core/platform.h"

#include <string>

// Glob matching with backtracking to the last "*" only, which is enough for two wildcards.
static bool matches(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool matchesPattern(std::string_view pattern, std::string_view name)
{
    const std::string p = platform::upper(pattern);
    const std::string n = platform::upper(name);
    if (matches(p, n)) {
        return true;
    }
    const std::string_view anyExtension = ".*";
    return p.ends_with(anyExtension) && n.find('.') == std::string::npos &&
           matches(std::string_view(p).substr(0, p.size() - anyExtension.size()), n);
}
