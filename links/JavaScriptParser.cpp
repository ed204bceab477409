#include "links/JavaScriptParser.h"

#include "platform/Exception.h"
#include "platform/StringUtils.h"

#include <algorithm>

namespace vorlin {

namespace {

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// Characters that the skip over a keyword's condition passes.
bool IsConditionFiller(char c) {
    return c == ' ' || c == '{' || c == '\r' || c == '\n' || c == '(' || c == ')';
}

bool MatchesKeyword(const std::string& text, size_t at, std::string_view keyword) {
    return at + keyword.size() <= text.size() &&
           SameText(std::string_view(text).substr(at, keyword.size()), keyword);
}

// One string literal of a statement: [Begin, End) with its quotes; Closed
// is false for a literal that runs to the end of the statement.
struct TLiteral {
    size_t Begin, End;
    bool Closed;
};

// Finds the literal that opens at text[at] (a quote).
TLiteral ReadLiteral(const std::string& text, size_t at) {
    char quote = text[at];
    for (size_t i = at + 1; i < text.size(); ++i)
        if (text[i] == quote && text[i - 1] != '\\') return {at, i + 1, true};
    return {at, text.size(), false};
}

} // namespace

void TJavaScriptParser::Clear() {
    Source.clear();
    WrittenText.clear();
    Expressions.clear();
    Links.clear();
}

void TJavaScriptParser::Parse() {
    DeleteCarriageReturns();
    ExtractExpressions();
    FindSrcAssignments();
    FindDocumentWrites();
}

void TJavaScriptParser::ParseLinks() {
    DeleteCarriageReturns();
    // Every statement is a piece of the source: without ".src" in it, none holds one.
    if (Source.find(".src") == std::string::npos) return;
    ExtractExpressions();
    FindSrcAssignments();
}

void TJavaScriptParser::DeleteCarriageReturns() {
    Source.erase(std::remove(Source.begin(), Source.end(), '\r'), Source.end());
}

// Positions follow the statement rules: s is where the current statement
// starts, i the character looked at. The CR characters are gone by now, as
// the rules delete them wherever they stand.
void TJavaScriptParser::ExtractExpressions() {
    try {
        const std::string& src = Source;
        const size_t n = src.size();
        size_t s = 0;
        bool inLiteral = false;
        char quote = 0;
        auto add = [&](size_t from, size_t to) { Expressions.emplace_back(src, from, to - from); };

        for (size_t i = 0; i < n; ++i) {
            char c = src[i];
            if (IsQuote(c)) {
                if (!inLiteral) {
                    inLiteral = true;
                    quote = c;
                } else if (c == quote && src[i - 1] != '\\') {
                    inLiteral = false;
                }
            } else if (c == ';') {
                if (!inLiteral) {
                    add(std::min(s, i), i);
                    s = i + 1;
                }
            } else if (c == '\n') {
                // A line end right after a semicolon belongs to the next statement.
                if (!inLiteral && !(i > 0 && src[i - 1] == ';')) {
                    if (s + 1 < i) add(s, i);
                    s = i + 1;
                }
            } else if (c == '}') {
                if (s + 1 < i) add(s, i);
                s = i;
            } else if (c == ' ' || c == '\t') {
                // Blanks after a closing bracket do not start the statement.
                if (s + 1 == i && i + 1 < n) s += src[i + 1] == ' ' ? 1 : 2;
            } else if (!inLiteral) {
                std::string_view keyword;
                for (std::string_view k : {"if", "for", "while", "else"})
                    if (MatchesKeyword(src, i, k)) {
                        keyword = k;
                        break;
                    }
                if (!keyword.empty()) {
                    // Skip the keyword and its bracketed condition; the
                    // character right after the keyword is never counted.
                    i += keyword.size();
                    int open = 0, close = 0;
                    while (i < n) {
                        if (open == close && !IsConditionFiller(src[i])) break;
                        ++i;
                        if (i < n && src[i] == '(') ++open;
                        if (i < n && src[i] == ')') ++close;
                    }
                    s = i;
                } else if (MatchesKeyword(src, i, "function")) {
                    i += 8;
                    while (i < n && src[i] != '{')
                        ++i;
                    s = i;
                }
            }
        }
    } catch (const std::exception& e) {
        throw Exception(std::string("Error in JavaScriptParser.ExtractExpressions: ") + e.what());
    }
}

void TJavaScriptParser::FindSrcAssignments() {
    for (const std::string& statement : Expressions) {
        size_t e = statement.find('=');
        size_t p = statement.find(".src");
        if (e == std::string::npos || p == std::string::npos || p >= e) continue;
        // The right-hand side may hold only blanks, tabs and string literals.
        bool onlyLiterals = true;
        for (size_t i = e + 1; i < statement.size() && onlyLiterals;) {
            char c = statement[i];
            if (IsQuote(c))
                i = ReadLiteral(statement, i).End;
            else if (c == ' ' || c == '\t')
                ++i;
            else
                onlyLiterals = false;
        }
        if (onlyLiterals) Links.push_back(Unquote(statement.substr(e + 1)));
    }
}

void TJavaScriptParser::FindDocumentWrites() {
    for (const std::string& statement : Expressions) {
        if (statement.size() < 14 || LowerCase(statement.substr(0, 14)) != "document.write")
            continue;
        for (size_t i = 0; i < statement.size();) {
            if (!IsQuote(statement[i])) {
                ++i;
                continue;
            }
            TLiteral literal = ReadLiteral(statement, i);
            if (literal.Closed)
                WrittenText +=
                    Unquote(statement.substr(literal.Begin, literal.End - literal.Begin));
            i = literal.End;
        }
    }
}

std::string TJavaScriptParser::Unquote(const std::string& literal) {
    std::string text = Trim(literal);
    if (text.size() < 2) return std::string();
    text = text.substr(1, text.size() - 2);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '\\') {
            out += text[i++];
            continue;
        }
        if (i + 1 >= text.size()) break; // a lone backslash at the end goes
        char c = text[i + 1];
        i += 2;
        switch (c) {
        case '"':
        case '\'':
        case '\\':
            out += c;
            break;
        case 'n':
        case 'N':
            out += '\n';
            break;
        case 'r':
        case 'R':
            out += '\r';
            break;
        case 't':
        case 'T':
            out += '\t';
            break;
        default:
            // The escaped character goes too, and whatever moves into its
            // place is taken as it is, even a backslash.
            if (i < text.size()) out += text[i++];
            break;
        }
    }
    return out;
}

} // namespace vorlin
