// How often Orlavo names a book's language and decodes its bytes right, against the bare libraries
// it builds on, on a set of texts made by make_held_out.py (books.tsv, sentences.tsv and
// decoding/manifest.tsv in the folder given).
//
// Language: Orlavo's GuessBookLanguage against CLD2 alone (DetectedLanguageCode: its full tables,
// no hint, its own codes), per book and per sentence. A language espeak-ng reads alike with
// another counts as one (Bosnian, Croatian and Serbian; Malay and Indonesian; the two Norwegians).
// Where espeak-ng has no voice for the language, Orlavo is right to name none (the desktop's
// language reads it) and wrong to name another; CLD2 is right when it names the language itself.
// Decoding: Orlavo's DecodeBookText against uchardet's answer for the whole file decoded by iconv,
// each right when it gives back the text exactly.
//
//     orlavo_text_accuracy build/held-out [--verbose]

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "book_language/book_language.h"
#include "platform/text/iconv_converter.h"
#include "text_decoding/text_decoder.h"

namespace {

using orlavo::DecodeBookText;
using orlavo::GuessBookLanguage;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos;
             start = tab + 1) {
            fields.push_back(Unescape(std::string_view(line).substr(start, tab - start)));
        }
        fields.push_back(Unescape(std::string_view(line).substr(start)));
        rows.push_back(std::move(fields));
    }
    return rows;
}

// Languages counted as one: the codes of either detector and of the catalogs, by one name.
std::string Group(std::string code) {
    code = code.substr(0, code.find_first_of("-_"));
    static const std::map<std::string, std::string> kSame = {
        {"iw", "he"},  {"jw", "jv"},  {"no", "nb"}, {"nn", "nb"},  {"bs", "hbs"}, {"hr", "hbs"},
        {"sr", "hbs"}, {"sh", "hbs"}, {"id", "ms"}, {"fil", "tl"}, {"cmn", "zh"}, {"un", ""}};
    const auto same = kSame.find(code);
    return same == kSame.end() ? code : same->second;
}

// The languages espeak-ng has a voice for, by group.
std::set<std::string> SpokenLanguages() {
    std::set<std::string> spoken;
    const std::unique_ptr<FILE, decltype(&pclose)> voices(popen("espeak-ng --voices", "r"),
                                                          &pclose);
    std::array<char, 512> line{};
    while (voices && fgets(line.data(), line.size(), voices.get()) != nullptr) {
        std::istringstream fields(line.data());
        std::string priority;
        std::string language;
        if (fields >> priority >> language && priority != "Pty") {
            spoken.insert(Group(language));
        }
    }
    return spoken;
}

std::string BareUchardet(const std::string& bytes, std::string* charset) {
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(
        uchardet_new(), &uchardet_delete);
    uchardet_handle_data(detector.get(), bytes.data(), bytes.size());
    uchardet_data_end(detector.get());
    *charset = uchardet_get_charset(detector.get());
    orlavo::IconvConverter converter(charset->c_str());
    if (charset->empty() || !converter.ok()) {
        return {};
    }
    std::string out;
    std::string_view in(bytes);
    std::array<char, 1 << 14> buffer{};
    while (true) {
        const auto step = in.empty() ? converter.Finish(buffer) : converter.Convert(in, buffer);
        in.remove_prefix(step.read);
        out.append(buffer.data(), step.written);
        if (step.error == E2BIG) {
            continue;
        }
        if (step.error == 0 && in.empty()) {
            break;
        }
        if (step.error != 0) {
            out += "\uFFFD";
            in.remove_prefix(std::min<std::size_t>(1, in.size()));
            if (in.empty()) {
                break;
            }
        }
    }
    if (out.starts_with("\uFEFF")) {
        out.erase(0, 3);
    }
    return out;
}

// The first line of a text, cut to about 80 bytes at a character.
std::string Start(const std::string& text) {
    std::size_t end = std::min(text.find('\n'), std::size_t{80});
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

struct Tally {
    int right = 0;
    int wrong = 0;
    int none = 0;
    void Add(bool isRight, bool isNone) { ++(isRight ? right : isNone ? none : wrong); }
    std::string Line(int total) const {
        std::ostringstream out;
        out.setf(std::ios::fixed);
        out.precision(1);
        out << right << " right (" << 100.0 * right / total << "%), " << wrong << " wrong ("
            << 100.0 * wrong / total << "%), " << none << " none";
        return out.str();
    }
};

void MeasureLanguage(const std::string& name, const std::string& path, bool verbose) {
    static const std::set<std::string> spoken = SpokenLanguages();
    Tally orlavo;
    Tally bare;
    int total = 0;
    std::ostringstream misses;
    for (const auto& row : ReadTsv(path)) {
        if (row.size() < 2) {
            continue;
        }
        const std::string truth = Group(row[0]);
        const std::string guess = Group(GuessBookLanguage(row[1], "UTF-8"));
        const std::string cld2 = Group(orlavo::DetectedLanguageCode(row[1]));
        const bool voiced = spoken.contains(truth);
        orlavo.Add(guess == truth || (!voiced && guess.empty()), guess.empty());
        bare.Add(cld2 == truth, cld2.empty());
        ++total;
        if (verbose && guess != truth && (voiced || !guess.empty())) {
            misses << "  " << row[0] << ": Orlavo \"" << guess << "\", CLD2 \"" << cld2 << "\""
                   << (cld2 == truth ? "  <- CLD2 right" : "") << "  " << Start(row[1]) << "\n";
        }
    }
    std::cout << name << " (" << total << "): Orlavo " << orlavo.Line(total) << "\n"
              << std::string(name.size() + std::to_string(total).size() + 4, ' ') << "CLD2   "
              << bare.Line(total) << "\n"
              << misses.str();
}

void MeasureDecoding(const std::string& folder, bool verbose) {
    int total = 0;
    int orlavoRight = 0;
    int bareRight = 0;
    std::vector<std::string> onlyBare;
    std::vector<std::string> onlyOrlavo;
    for (const auto& row : ReadTsv(folder + "/decoding/manifest.tsv")) {
        if (row.size() < 2) {
            continue;
        }
        const std::string bytes = ReadFile(folder + "/decoding/" + row[0]);
        const std::string text = ReadFile(folder + "/decoding/" + row[1]);
        std::string charset;
        const bool orlavo = DecodeBookText(bytes, &charset) == text;
        std::string detected;
        const bool bare = BareUchardet(bytes, &detected) == text;
        ++total;
        orlavoRight += orlavo ? 1 : 0;
        bareRight += bare ? 1 : 0;
        if (orlavo != bare) {
            (orlavo ? onlyOrlavo : onlyBare)
                .push_back(row[0] + " (Orlavo " + charset + ", uchardet " + detected + ")");
        }
    }
    std::cout << "decoding (" << total << " files): Orlavo " << orlavoRight
              << " right, uchardet+iconv " << bareRight << " right; only Orlavo right "
              << onlyOrlavo.size() << ", only uchardet+iconv right " << onlyBare.size() << "\n";
    for (const std::string& file : onlyBare) {
        std::cout << "  only uchardet+iconv right: " << file << "\n";
    }
    if (verbose) {
        for (const std::string& file : onlyOrlavo) {
            std::cout << "  only Orlavo right: " << file << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " FOLDER [--verbose]\n";
        return 2;
    }
    const std::string folder = argv[1];
    const bool verbose = argc > 2 && std::string_view(argv[2]) == "--verbose";
    MeasureLanguage("language per book", folder + "/books.tsv", verbose);
    MeasureLanguage("language per sentence", folder + "/sentences.tsv", verbose);
    MeasureDecoding(folder, verbose);
}
