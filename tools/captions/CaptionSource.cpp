#include "CaptionSource.h"

#include <cstdlib>
#include <fstream>
#include <regex>

namespace CaptionSource {

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The line without its comment (a # outside quotes).
std::string stripComment(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"' && (i == 0 || line[i - 1] != '\\')) {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted) {
            return line.substr(0, i);
        }
    }
    return line;
}

bool unquote(const std::string& s, std::string& out) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') {
        return false;
    }
    out.clear();
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '\\' && s[i + 1] == '"' && i + 2 < s.size()) {
            out += '"';
            ++i;
        } else {
            out += s[i];
        }
    }
    return true;
}

bool parseScalar(const std::string& value, Node& node) {
    static const std::regex integer(R"(-?[0-9]+)");
    static const std::regex real(R"(-?[0-9]*\.[0-9]+)");
    if (value.front() == '"') {
        node.kind = Node::Kind::Text;
        return unquote(value, node.text);
    }
    if (std::regex_match(value, integer)) {
        node.kind = Node::Kind::Integer;
        node.number = std::strtod(value.c_str(), nullptr);
        return true;
    }
    if (std::regex_match(value, real)) {
        node.kind = Node::Kind::Real;
        node.number = std::strtod(value.c_str(), nullptr);
        return true;
    }
    if (value == "true" || value == "false") {
        node.kind = Node::Kind::Boolean;
        node.number = value == "true" ? 1.0 : 0.0;
        return true;
    }
    if (value.front() == '[') {
        if (value.back() != ']') {
            return false;
        }
        node.kind = Node::Kind::List;
        std::string inner = value.substr(1, value.size() - 2);
        std::size_t start = 0;
        while (start < inner.size()) {
            std::size_t comma = inner.find(',', start);
            const std::string item =
                trim(inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (!std::regex_match(item, integer) && !std::regex_match(item, real)) {
                return false;
            }
            node.list.push_back(std::strtod(item.c_str(), nullptr));
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
        return true;
    }
    node.kind = Node::Kind::Text;
    node.text = value;
    return true;
}

} // namespace

Node* Node::find(const std::string& key) {
    for (auto& [name, child] : children) {
        if (name == key) {
            return &child;
        }
    }
    return nullptr;
}

bool parseFile(const std::string& path, Node& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    out = Node();
    // The open groups, innermost last, with the indent of their entries.
    std::vector<std::pair<Node*, int>> open{{&out, 0}};
    bool expectDeeper = false;
    std::string raw;
    for (int number = 1; std::getline(file, raw); ++number) {
        const std::string line = stripComment(raw);
        if (trim(line).empty()) {
            continue;
        }
        const auto where = [&] { return path + ":" + std::to_string(number) + ": "; };
        const int indent = static_cast<int>(line.find_first_not_of(' '));
        if (expectDeeper) {
            if (indent <= open.back().second - 1) {
                error = where() + "a group needs indented entries";
                return false;
            }
            open.back().second = indent;
            expectDeeper = false;
        }
        while (indent < open.back().second) {
            open.pop_back();
        }
        if (indent != open.back().second) {
            error = where() + "indent does not match any open group";
            return false;
        }
        const std::string content = trim(line);
        std::string key;
        std::size_t colon;
        if (content.front() == '"') {
            const std::size_t close = content.find('"', 1);
            colon = close == std::string::npos ? close : content.find(':', close);
            if (colon != std::string::npos) {
                unquote(trim(content.substr(0, colon)), key);
            }
        } else {
            colon = content.find(':');
            key = colon == std::string::npos ? std::string() : trim(content.substr(0, colon));
        }
        if (colon == std::string::npos || key.empty()) {
            error = where() + "expected key: value";
            return false;
        }
        if (open.back().first->find(key) != nullptr) {
            error = where() + "key \"" + key + "\" given twice";
            return false;
        }
        const std::string value = trim(content.substr(colon + 1));
        Node node;
        if (!value.empty() && !parseScalar(value, node)) {
            error = where() + "cannot read the value " + value;
            return false;
        }
        open.back().first->children.emplace_back(key, std::move(node));
        if (value.empty()) {
            open.emplace_back(&open.back().first->children.back().second, indent + 1);
            expectDeeper = true;
        }
    }
    return true;
}

void merge(Node& base, const Node& over) {
    for (const auto& [key, node] : over.children) {
        Node* existing = base.find(key);
        if (existing != nullptr && existing->kind == Node::Kind::Group && node.kind == Node::Kind::Group) {
            merge(*existing, node);
        } else if (existing != nullptr) {
            *existing = node;
        } else {
            base.children.emplace_back(key, node);
        }
    }
}

bool expandRanges(Node& node, std::string& error) {
    static const std::regex range(R"(([0-9]+)\.\.([0-9]+))");
    std::vector<std::pair<std::string, Node>> expanded;
    for (auto& [key, child] : node.children) {
        std::smatch match;
        if (!std::regex_match(key, match, range)) {
            if (child.kind == Node::Kind::Group && !expandRanges(child, error)) {
                return false;
            }
            expanded.emplace_back(key, std::move(child));
            continue;
        }
        if (child.kind != Node::Kind::Text) {
            error = "range " + key + " needs a text";
            return false;
        }
        const int first = std::atoi(match[1].str().c_str());
        const int last = std::atoi(match[2].str().c_str());
        for (int n = first; n <= last; ++n) {
            Node leaf = child;
            const std::string value = std::to_string(n);
            for (std::size_t at; (at = leaf.text.find("{n}")) != std::string::npos;) {
                leaf.text.replace(at, 3, value);
            }
            expanded.emplace_back(value, std::move(leaf));
        }
    }
    node.children = std::move(expanded);
    return true;
}

} // namespace CaptionSource
