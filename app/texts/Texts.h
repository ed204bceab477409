// Every text the desktop program shows is a number. Messages live in the
// blocks of their module (0-48 main window, 200-204 progress list captions,
// 400-405 update checker, 600-631 download run, 1000-1004 settings dialog,
// 1400-1404 bookmark import, 1500-1549 connection control, 1800-1830 rule descriptions); each control that carries text has a tag:
// its caption is text number tag, its hint text number tag + 1 (tags are
// even; 0 means "not translated"). Control tags by window:
//   3000-3999 main window, 4000-4499 settings dialog, 4500-4999 the other
//   dialogs of the main window, 5000-5999 project options and rule dialogs,
//   7000-7499 update, 8000-8499 bookmarks, 9000-9499 connection control.
// Until a language is loaded the built-in texts answer; once one is, it is
// the only source (a number it lacks is empty). Qt-free, so the command
// line can share it.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class TMoCatalog;
}

namespace vorlin::app {

struct TTextEntry {
    int Number;
    const char* Text;
};

// Adds built-in texts (each module adds its own block once, at start-up,
// through the function that owns its table). A number added twice keeps
// the later text.
void AddBuiltinTexts(std::initializer_list<TTextEntry> entries);

// The text of the current language; a number nobody has is empty.
std::string Text(int number);

// The built-in text of a number, whatever language is loaded.
std::string BuiltinText(int number);
// Every number of the built-in table, ascending.
std::vector<int> BuiltinTextNumbers();

// Makes a language's catalogue the source of Text(); null goes back to the
// built-in texts. Safe from any thread.
void SetTextSource(std::shared_ptr<const TMoCatalog> catalog);

} // namespace vorlin::app
