#pragma once
// A fingerprint of what a file item's items say (kind, name, value, nesting) in file order:
// two 64-bit hashes, each text taken with its length. It tells whether a
// file item still holds what Tarnwick last read from or wrote to its file.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tarnwick {

struct ItemsPrint {
    std::uint64_t first = 0xcbf29ce484222325u;
    std::uint64_t second = 0x9e3779b97f4a7c15u;

    void Enter(bool section, std::string_view text, bool hasValue, std::string_view value) {
        Word(section ? 1 : 2);
        Add(text);
        Word(hasValue ? 3 : 4);
        Add(value);
    }
    void Leave() { Word(5); }
    bool operator==(const ItemsPrint&) const = default;

private:
    // Each word goes into both hashes; the long texts of a file go sixteen bytes a step, half
    // to each, so that neither hash waits on the other.
    void Word(std::uint64_t word) {
        first = Step(first, word);
        second = Step(second ^ 0x5bd1e9955bd1e995u, word);
    }
    static std::uint64_t Step(std::uint64_t hash, std::uint64_t word) {
        return std::rotl((hash ^ word) * 0xff51afd7ed558ccdu, 31);
    }
    void Add(std::string_view bytes) {
        // In locals: through `this` every step would go to memory and back.
        std::uint64_t a = Step(first, bytes.size()), b = Step(second ^ 0x5bd1e9955bd1e995u, bytes.size());
        std::size_t at = 0;
        for (; bytes.size() - at >= 16; at += 16) {
            std::uint64_t words[2];
            std::memcpy(words, bytes.data() + at, 16);
            a = Step(a, words[0]);
            b = Step(b, words[1]);
        }
        std::uint64_t last[2] = {0, 0};
        std::memcpy(last, bytes.data() + at, bytes.size() - at);
        first = Step(a, last[0]);
        second = Step(b, last[1]);
    }
};

}  // namespace tarnwick
