#include "own_comments.h"

#include "config_lines.h"

namespace tarnwick {

bool IsCommentLine(std::string_view line) {
    const std::size_t blanks = LeadingBlanks(line).size();
    return blanks < line.size() && line[blanks] == '#';
}

std::string_view OwnCommentLines(const ItemSource& source) {
    const std::string_view lead = source.Lead();
    // The last run of comment lines in the lead: any other line (blank, or a closing line that
    // closed nothing) ends the run before it. Lines end at LF, CR LF or a lone CR.
    std::size_t runBegin = 0;
    std::size_t at = 0;
    while (at < lead.size()) {
        std::size_t end = at;
        while (end < lead.size() && lead[end] != '\n' && lead[end] != '\r') ++end;
        std::size_t next = end;
        if (next < lead.size()) next += (lead[next] == '\r' && next + 1 < lead.size() && lead[next + 1] == '\n') ? 2 : 1;
        if (!IsCommentLine(lead.substr(at, end - at))) runBegin = next;
        at = next;
    }
    return lead.substr(runBegin);
}

}  // namespace tarnwick
