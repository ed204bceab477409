#include "engine/RunTexts.h"

#include <mutex>

namespace vorlin {

namespace {

const std::map<int, std::string>& DefaultTexts() {
    static const std::map<int, std::string> texts = {
        {600, "Fehler"},
        {601, "Emfang von %s fortgesetzt"},
        {602, "Kein Update benötigt für %s"},
        {603, "%s (%d Bytes) wurde heruntergeladen"},
        {604, "Emfange Datei-Info"},
        {605, "Emfange Datei"},
        {606, "Bereit"},
        {607, "Der Emfang von %s hat die Zeitbegrenzung überschritten.. %d Versuche übrig"},
        {608, "Teste Startadresse"},
        {609, "Initialisiere Download"},
        {610, "Beende Download"},
        {611, "Fertig"},
        {612, "Download wurde begonnen"},
        {613, "Kein Zielverzeichnis angegeben, breche ab"},
        {614, "Keine Url angegeben, breche ab"},
        {615, "Testing aborted"},
        {616, "Error loading the data collected during the last run (probably a version conflict, try \"Reset "
              "Project Data\" from the project´s menu)"},
        {617, "trying to proceed anyway..."},
        {618, "Saving project´s data..."},
        {619, "Project not completely dowloaded last time... resuming"},
        {620, "Can´t load filter rules, trying to proceed anyway..."},
        {621, "HTTP client #%d encountered an error: %s. Please check your internet connection!"},
        {622, "Shutdown initiated"},
        {623, "Removing HTTP Clients"},
        {624, "Saving Data of Plug-Ins"},
        {625, "Cleaning Up"},
        {626, "Downloaded"},
        {627, "Filtered Out"},
        {628, "Not Downloaded"},
        {629, "Autosaving project..."},
        {630, "Autosave completed!"},
        {631, "Links filtered out last download were selected to be downloaded. Downloading only these files..."},
    };
    return texts;
}

std::mutex gLock;
std::map<int, std::string> gTexts = DefaultTexts();

} // namespace

std::string RunText(int id) {
    std::lock_guard<std::mutex> g(gLock);
    auto it = gTexts.find(id);
    return it == gTexts.end() ? std::string() : it->second;
}

void SetRunTexts(const std::map<int, std::string>& texts) {
    std::lock_guard<std::mutex> g(gLock);
    gTexts = texts;
}

const std::map<int, std::string>& BuiltinRunTexts() { return DefaultTexts(); }

void ResetRunTexts() {
    std::lock_guard<std::mutex> g(gLock);
    gTexts = DefaultTexts();
}

std::string FormatRunText(int id, const std::vector<std::string>& args) {
    std::string text = RunText(id), out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd')) {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace vorlin
