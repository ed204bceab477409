// Finds URLs in script code without interpreting it: the code is cut into
// statements with a few lexical rules (quotes, semicolons, line ends, curly
// brackets and the keywords if/for/while/else/function), then every string
// literal assigned to a ".src" property is reported, in statement order.
// The texts of document.write literals are collected as well.
#pragma once

#include <string>
#include <vector>

namespace vorlin {

class TJavaScriptParser {
  public:
    // The script text; set by the caller. Parse deletes its CR characters.
    std::string Source;
    // The statements found by the last Parse.
    std::vector<std::string> Expressions;
    // URLs assigned to .src properties, in order of discovery, duplicates kept.
    std::vector<std::string> Links;
    // The concatenated literals of all document.write statements.
    std::string WrittenText;

    void Clear();
    // Cuts Source into Expressions, then fills Links and WrittenText.
    // Throws Exception "Error in JavaScriptParser.ExtractExpressions: ..."
    // when cutting fails.
    void Parse();
    // Only what a page's scan needs: Links. Source that names no ".src"
    // property can assign none, and is not cut (most scripts are of that
    // kind, and cutting makes a string of every statement).
    void ParseLinks();

    // The text of a string literal: surrounding blanks and quotes removed,
    // backslash escapes resolved (\" \' \\ stay, \n \r \t become control
    // characters, any other escaped character is dropped).
    static std::string Unquote(const std::string& literal);

  private:
    void DeleteCarriageReturns();
    void ExtractExpressions();
    void FindSrcAssignments();
    void FindDocumentWrites();
};

} // namespace vorlin
