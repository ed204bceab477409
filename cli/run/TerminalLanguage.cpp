#include "cli/run/TerminalLanguage.h"

#include "app/texts/LangLoader.h"

#include <cstdio>

namespace vorlin::cli {

bool UseLanguage(const std::string& home, const std::string& name, bool chosen, std::string& error) {
    app::TLangLoader loader(app::LanguageDirectories(home));
    try {
        loader.LoadLanguage(name);
        return true;
    } catch (const app::ELanguageError& e) {
        std::string languages;
        for (const std::string& known : loader.Languages()) languages += (languages.empty() ? "" : ", ") + known;
        const std::string message = std::string(e.what()) + " (" + e.Reason + "; languages: " +
                                    (languages.empty() ? "none" : languages) + ")";
        if (chosen) {
            error = message;
            return false;
        }
        std::fprintf(stderr, "vorlin: %s\n", message.c_str());
        return true;
    }
}

} // namespace vorlin::cli
