#include "app/CommandLine.h"

#include "app/UrlCandidate.h"
#include "platform/InterProcess.h"

namespace vorlin::app {

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.compare("/docking", Qt::CaseInsensitive) == 0) {
            line.Docking = true;
        } else if (i == 1 && argument == "afterupdate") {
            line.AfterUpdate = true;
        } else if (argument == "--home" && i + 1 < arguments.size()) {
            line.Home = arguments[++i].toStdString();
        } else if (std::optional<std::string> url = UrlCandidate(argument.toStdString()); url && line.Url.empty()) {
            line.Url = *url;
        } else {
            line.Ignored.push_back(argument.toStdString());
        }
    }
    return line;
}

bool HandUrlToRunningWindow(const std::string& url) {
    const TRemoteWindow window = FindWindowByClass("THttpGetForm");
    if (!window) return false;
    TCopyData data;
    data.Tag = kUrlHandOverTag;
    data.Bytes.assign(url.begin(), url.end());
    data.Bytes.push_back(0);
    return SendCopyData(window, 0, data);
}

} // namespace vorlin::app
