#include "CaptionSource.h"

#include <cstdlib>
#include <fstream>

namespace CaptionSource {

namespace {

bool allDigits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to) {
        return false;
    }
    for (std::size_t i = from; i < to; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
    }
    return true;
}

// -?[0-9]+
bool isInteger(const std::string& s) {
    const std::size_t sign = !s.empty() && s[0] == '-' ? 1 : 0;
    return allDigits(s, sign, s.size());
}

// -?[0-9]*.[0-9]+
bool isReal(const std::string& s) {
    const std::size_t sign = !s.empty() && s[0] == '-' ? 1 : 0;
    const std::size_t dot = s.find('.', sign);
    return dot != std::string::npos && (dot == sign || allDigits(s, sign, dot)) &&
           allDigits(s, dot + 1, s.size());
}

// A..B with A and B numbers.
bool isRange(const std::string& s, int& first, int& last) {
    const std::size_t dots = s.find("..");
    if (dots == std::string::npos || !allDigits(s, 0, dots) || !allDigits(s, dots + 2, s.size())) {
        return false;
    }
    first = std::atoi(s.substr(0, dots).c_str());
    last = std::atoi(s.substr(dots + 2).c_str());
    return true;
}

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
    if (value.front() == '"') {
        node.kind = Node::Kind::Text;
        return unquote(value, node.text);
    }
    if (isInteger(value)) {
        node.kind = Node::Kind::Integer;
        node.number = std::strtod(value.c_str(), nullptr);
        return true;
    }
    if (isReal(value)) {
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
            if (!isInteger(item) && !isReal(item)) {
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
    for (Node& child : children) {
        if (child.key == key) {
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
        node.key = key;
        if (!value.empty() && !parseScalar(value, node)) {
            error = where() + "cannot read the value " + value;
            return false;
        }
        open.back().first->children.push_back(std::move(node));
        if (value.empty()) {
            open.emplace_back(&open.back().first->children.back(), indent + 1);
            expectDeeper = true;
        }
    }
    return true;
}

void merge(Node& base, const Node& over) {
    for (const Node& node : over.children) {
        Node* existing = base.find(node.key);
        if (existing != nullptr && existing->kind == Node::Kind::Group && node.kind == Node::Kind::Group) {
            merge(*existing, node);
        } else if (existing != nullptr) {
            *existing = node;
        } else {
            base.children.push_back(node);
        }
    }
}

bool expandRanges(Node& node, std::string& error) {
    std::vector<Node> expanded;
    for (Node& child : node.children) {
        int first = 0;
        int last = 0;
        if (!isRange(child.key, first, last)) {
            if (child.kind == Node::Kind::Group && !expandRanges(child, error)) {
                return false;
            }
            expanded.push_back(std::move(child));
            continue;
        }
        if (child.kind != Node::Kind::Text) {
            error = "range " + child.key + " needs a text";
            return false;
        }
        for (int n = first; n <= last; ++n) {
            Node leaf = child;
            const std::string value = std::to_string(n);
            for (std::size_t at; (at = leaf.text.find("{n}")) != std::string::npos;) {
                leaf.text.replace(at, 3, value);
            }
            leaf.key = value;
            expanded.push_back(std::move(leaf));
        }
    }
    node.children = std::move(expanded);
    return true;
}

} // namespace CaptionSource
