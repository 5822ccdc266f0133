#include "receiver-sim/scpi_command.h"

#include <cctype>

namespace kestrix::sim {

namespace {

struct PatternNode {
    std::string shortForm;  // upper case
    std::string longForm;   // upper case
    bool numbered = false;
    bool optional = false;
};

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<PatternNode> patternNodes(const std::string& pattern) {
    std::vector<PatternNode> nodes;
    PatternNode node;
    bool open = false;
    auto finish = [&] {
        if (!node.longForm.empty()) nodes.push_back(node);
        node = PatternNode{};
        node.optional = open;
    };
    for (char c : pattern) {
        if (c == '[') {
            finish();
            open = true;
            node.optional = true;
        } else if (c == ']') {
            finish();
            open = false;
            node.optional = false;
        } else if (c == ':') {
            const bool keep = open;
            finish();
            node.optional = keep;
        } else if (c == '#') node.numbered = true;
        else {
            if (std::isupper(static_cast<unsigned char>(c)) || !std::isalpha(static_cast<unsigned char>(c)))
                node.shortForm += c;
            node.longForm += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    finish();
    return nodes;
}

std::vector<std::string> headerNodes(std::string header) {
    if (!header.empty() && header.front() == ':') header.erase(0, 1);
    std::vector<std::string> nodes(1);
    for (char c : header) {
        if (c == ':') nodes.emplace_back();
        else nodes.back() += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return nodes;
}

bool matchNode(const PatternNode& pattern, std::string node, std::vector<int>& suffixes) {
    int suffix = 1;
    if (pattern.numbered) {
        std::size_t digits = node.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(node[digits - 1]))) --digits;
        if (digits < node.size()) {
            if (node.size() - digits > 2) return false;
            suffix = std::stoi(node.substr(digits));
            node.resize(digits);
        }
    }
    if (node != pattern.shortForm && node != pattern.longForm) return false;
    if (pattern.numbered) suffixes.push_back(suffix);
    return true;
}

bool matchFrom(const std::vector<PatternNode>& pattern, std::size_t p, const std::vector<std::string>& header,
               std::size_t h, std::vector<int>& suffixes) {
    if (p == pattern.size()) return h == header.size();
    const std::size_t mark = suffixes.size();
    if (h < header.size() && matchNode(pattern[p], header[h], suffixes) &&
        matchFrom(pattern, p + 1, header, h + 1, suffixes))
        return true;
    suffixes.resize(mark);
    return pattern[p].optional && matchFrom(pattern, p + 1, header, h, suffixes);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

ScpiCommand splitCommand(const std::string& line) {
    ScpiCommand command;
    const std::string text = trimmed(line);
    const auto blank = text.find_first_of(" \t");
    command.header = text.substr(0, blank);
    if (blank != std::string::npos) command.parameters = trimmed(text.substr(blank));
    if (!command.header.empty() && command.header.back() == '?') {
        command.query = true;
        command.header.pop_back();
    }
    return command;
}

bool matchHeader(const std::string& pattern, ScpiCommand& command) {
    std::string body = pattern;
    const bool queryPattern = !body.empty() && body.back() == '?';
    if (queryPattern) body.pop_back();
    if (queryPattern != command.query || command.header.empty()) return false;
    command.suffixes.clear();
    if (body.front() == '*') return upper(command.header) == body;
    return matchFrom(patternNodes(body), 0, headerNodes(command.header), 0, command.suffixes);
}

}  // namespace kestrix::sim
