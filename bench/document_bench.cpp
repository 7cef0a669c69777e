// Measures opening and saving configuration files through the document core:
//   document_bench [--out DIR] [--lf] [--rounds N] FILE...
// Each round reads the files the way Open does into a fresh in-memory tree, writes them the
// way Save does, and reads the same bytes plainly (line by line, and whole) and writes them
// whole for comparison; the median of the rounds is printed, one "name: value" per line. Without --out the files are written into a new
// temporary directory, never over the inputs.

#include "config_reader.h"
#include "config_writer.h"
#include "memory_tree.h"
#include "posix/posix_file_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <vector>

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    std::string outDirectory;
    bool lf = false;
    int rounds = 15;
    std::vector<std::string> files;
};

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long CurrentRssKb() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * 4;
}

// Reads a file line by line through C stdio, as a plain text reader would.
std::size_t ReadLinesPlainly(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return 0;
    std::size_t total = 0;
    char line[1024];
    while (std::fgets(line, sizeof line, file)) total += std::strlen(line);
    std::fclose(file);
    return total;
}

// The text with every line end (LF, CR LF, a lone CR) as the save writes them.
std::string WithLineEnds(const std::string& text, bool crLf) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            result += text[i];
            continue;
        }
        result += crLf ? "\r\n" : "\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return result;
}

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) options.outDirectory = argv[++i];
        else if (!std::strcmp(argv[i], "--lf")) options.lf = true;
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (argv[i][0] == '-') return false;
        else options.files.emplace_back(argv[i]);
    }
    return !options.files.empty();
}

// Splits a POSIX path into the Windows-style directory and name that Open hands the reader.
std::pair<std::string, std::string> OpenedAs(const std::string& posixPath) {
    const std::string path = PosixFileStore::ToWindowsPath(posixPath);
    const std::string directory = DirectoryOf(path);
    return {directory.empty() ? std::string(".\\") : directory, path.substr(directory.size())};
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: document_bench [--out DIR] [--lf] [--rounds N] FILE...\n");
        return 2;
    }
#if defined(__GLIBC__)
    // Memory a round frees stays with the process for the next, as in an editor that closes
    // one configuration and opens another. Left to itself, the C library returns it to the
    // system or keeps it depending on the order of frees, and every round that gets its
    // memory anew pays the page faults of a file-sized buffer: the medians then swung between
    // inputs by a third. What that costs once, in a process that never read a file before,
    // is the first round's figures, printed apart.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    const bool temporaryOut = options.outDirectory.empty();
    if (temporaryOut) {
        char pattern[] = "/tmp/document_bench.XXXXXX";
        if (!mkdtemp(pattern)) return 1;
        options.outDirectory = pattern;
    }
    const long startRss = CurrentRssKb();
    PosixFileStore files;
    std::size_t bytes = 0;
    for (const std::string& file : options.files) {
        const auto content = files.ReadFileBytes(PosixFileStore::ToWindowsPath(file));
        if (!content) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        bytes += content->size();
    }

    std::vector<double> plainTimes, lineTimes, plainWriteTimes, readTimes, writeTimes;
    std::size_t items = 0;
    std::size_t identical = 0;
    for (int round = 0; round < options.rounds; ++round) {
        auto start = Clock::now();
        std::size_t plainBytes = 0;
        for (const std::string& file : options.files)
            plainBytes += files.ReadFileBytes(PosixFileStore::ToWindowsPath(file)).value_or("").size();
        plainTimes.push_back(Seconds(Clock::now() - start));
        if (plainBytes != bytes) return 1;

        start = Clock::now();
        for (const std::string& file : options.files) plainBytes += ReadLinesPlainly(file);
        lineTimes.push_back(Seconds(Clock::now() - start));

        // The same bytes written whole, the same safe way a save writes: the floor for writing.
        {
            const std::string copy = files.ReadFileBytes(PosixFileStore::ToWindowsPath(options.files[0])).value_or("");
            start = Clock::now();
            files.ReplaceFileBytes(PosixFileStore::ToWindowsPath(options.outDirectory + "/plain-copy"), copy);
            plainWriteTimes.push_back(Seconds(Clock::now() - start) * static_cast<double>(bytes) /
                                      static_cast<double>(std::max<std::size_t>(copy.size(), 1)));
        }

        MemoryTree tree;
        ConfigDocument document{tree, files, PosixFileStore::ToWindowsPath(options.outDirectory)};
        document.crLfMode = !options.lf;
        // Every timed write makes a new file, and no timing includes deleting one: freeing an
        // old file's cached pages is the file system's work, and would otherwise fall into
        // whichever timing came next.
        std::remove((options.outDirectory + "/plain-copy").c_str());
        for (const std::string& file : options.files)
            std::remove((options.outDirectory + "/" + OpenedAs(file).second).c_str());
        start = Clock::now();
        for (const std::string& file : options.files) {
            const auto [directory, name] = OpenedAs(file);
            ReadConfigFile(document, directory, name, name);
        }
        readTimes.push_back(Seconds(Clock::now() - start));
        items = tree.LiveValueCount();

        // Saved as Save does, with every file item pointed at the output directory.
        for (ItemHandle file = tree.FirstFileItem(); file; file = tree.NextSibling(file))
            tree.ReleaseItemValue(file);
        start = Clock::now();
        const std::vector<UnsavedFile> failed = SaveAllFiles(document);
        writeTimes.push_back(Seconds(Clock::now() - start));
        for (const UnsavedFile& file : failed) std::fprintf(stderr, "could not write %s\n", file.path.c_str());
        if (!failed.empty()) return 1;
    }
    const long peakRss = PeakRssKb();  // before the comparison below holds copies of its own
    for (const std::string& file : options.files) {
        const std::string written = options.outDirectory + "/" + OpenedAs(file).second;
        const auto input = files.ReadFileBytes(PosixFileStore::ToWindowsPath(file));
        const auto output = files.ReadFileBytes(PosixFileStore::ToWindowsPath(written));
        identical += input && output && WithLineEnds(*input, !options.lf) == *output;
    }

    const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    const double read = Median(readTimes), write = Median(writeTimes), plain = Median(plainTimes);
    const double lines = Median(lineTimes), plainWrite = Median(plainWriteTimes);
    std::printf("bytes: %zu\n", bytes);
    std::printf("items: %zu\n", items);
    std::printf("read_mb_s: %.1f\n", megabytes / read);
    std::printf("write_mb_s: %.1f\n", megabytes / write);
    // The plain read is the file's lines read one by one and nothing built from them; the
    // whole read is one read call into memory, bounded only by the page cache.
    std::printf("plain_read_mb_s: %.1f\n", megabytes / lines);
    std::printf("whole_read_mb_s: %.1f\n", megabytes / plain);
    std::printf("whole_write_mb_s: %.1f\n", megabytes / plainWrite);
    std::printf("read_write_vs_plain_read: %.3f\n", lines / (read + write));
    std::printf("read_write_vs_whole_read: %.3f\n", plain / (read + write));
    // The first round: memory got from the system, as a process's first Open and Save do.
    std::printf("first_read_mb_s: %.1f\n", megabytes / readTimes.front());
    std::printf("first_write_mb_s: %.1f\n", megabytes / writeTimes.front());
    std::printf("first_read_write_vs_plain_read: %.3f\n", lineTimes.front() / (readTimes.front() + writeTimes.front()));
    std::printf("start_rss_kb: %ld\n", startRss);
    std::printf("peak_rss_kb: %ld\n", peakRss);
    std::printf("peak_over_start_per_byte: %.2f\n", static_cast<double>(peakRss - startRss) * 1024.0 / bytes);
    // Saved with the default settings (layout kept): files that came back as they were read,
    // line ends aside.
    std::printf("identical_files: %zu of %zu\n", identical, options.files.size());
    if (temporaryOut) {
        std::remove((options.outDirectory + "/plain-copy").c_str());
        for (const std::string& file : options.files) {
            const std::string written = options.outDirectory + "/" + OpenedAs(file).second;
            std::remove(written.c_str());
        }
        rmdir(options.outDirectory.c_str());
    }
    return 0;
}
