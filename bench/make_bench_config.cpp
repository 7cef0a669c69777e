// Writes a large, realistic Apache configuration for the document benchmark:
//   make_bench_config [DIRECTIVES] [--comment-every N] > big.conf
// With --comment-every N, a comment line stands above every Nth directive as well.
// Directives are typical lines of a server configuration, grouped in <IfModule>, <Directory>
// and <Files> sections nested up to three deep, with comment blocks and indentation between
// them as distributions have them. The output is the same on every run.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kDirectives[] = {
    "Options Indexes FollowSymLinks MultiViews",
    "AllowOverride None",
    "Order allow,deny",
    "Allow from all",
    "AddIcon /icons/compressed.gif .Z .z .tgz .gz .zip",
    "AddLanguage pt-br .pt-br",
    "AddType application/x-httpd-php .php",
    "LogFormat \"%h %l %u %t \\\"%r\\\" %>s %b \\\"%{Referer}i\\\" \\\"%{User-Agent}i\\\"\" combined",
    "Alias /icons/ \"C:/Program Files/Apache Group/Apache/icons/\"",
    "BrowserMatch \"MSIE 4\\.0b2;\" nokeepalive downgrade-1.0 force-response-1.0",
    "DirectoryIndex index.html index.htm default.htm",
    "ErrorDocument 404 /missing.html",
    "KeepAliveTimeout 15",
    "ServerAdmin webmaster@example.com",
    "Redirect permanent /old http://www.example.com/new",
    "SetEnvIf Request_URI \"\\.gif$\" image-request",
};
const char* const kSections[] = {"IfModule mod_mime.c", "Directory \"C:/web/htdocs/site\"", "Files ~ \"\\.(gif|jpe?g|png)$\"",
                                 "VirtualHost 192.168.0.1:80", "Location /server-status"};

std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 4, ' '); }

}  // namespace

int main(int argc, char** argv) {
    long total = 100000;
    long commentEvery = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--comment-every" && i + 1 < argc) commentEvery = std::strtol(argv[++i], nullptr, 10);
        else total = std::strtol(argv[i], nullptr, 10);
    }
    unsigned state = 12345;
    auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % range;
    };
    std::string out;
    std::string openNames[4];
    int depth = 0;
    for (long written = 0; written < total;) {
        const unsigned roll = next(20);
        if (roll == 0) {
            out += Indent(depth) + "#\n" + Indent(depth) + "# The following lines change how the server answers;\n" +
                   Indent(depth) + "# see the manual before changing them.\n" + Indent(depth) + "#\n\n";
        } else if (roll == 1 && depth < 3) {
            const std::string section = kSections[next(5)];
            openNames[depth] = section.substr(0, section.find(' '));
            out += Indent(depth) + "<" + section + ">\n";
            ++depth;
        } else if (roll == 2 && depth > 0) {
            --depth;
            out += Indent(depth) + "</" + openNames[depth] + ">\n";
        } else {
            if (commentEvery > 0 && written % commentEvery == 0)
                out += Indent(depth) + "# directive " + std::to_string(written) + ", as the administrator noted it\n";
            out += Indent(depth) + kDirectives[next(16)] + "\n";
            ++written;
        }
    }
    while (depth > 0) {
        --depth;
        out += Indent(depth) + "</" + openNames[depth] + ">\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
