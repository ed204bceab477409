// A walk through the program that saves pictures of its windows, for
// tools/screenshots.sh: started by the environment variable
// HTTPVORLIN_SCREENSHOTS (the folder for the PNGs) with HTTPVORLIN_TOUR_URL
// (the site to mirror). It makes a project for the site, queues it, takes
// the main window during and after the download, then the settings
// dialog, every page of the project options dialog with the rule dialog,
// the statistics dialog, the "Update Download" dialog, the bookmark menus
// with their settings pages, the debug log window, the language menu and
// the window in German, and closes the program.
#pragma once

#include <QObject>
#include <QString>

namespace vorlin::app {

class THttpGetForm;
class TfmDebugLog;

class TScreenshotTour : public QObject {
    Q_OBJECT
public:
    TScreenshotTour(THttpGetForm& window, TfmDebugLog& debugLog, QString folder, QString url);
    // From the environment; null when no tour is asked for.
    static TScreenshotTour* FromEnvironment(THttpGetForm& window, TfmDebugLog& debugLog);

private:
    void Begin();
    void Save(QWidget* widget, const QString& name);
    // Opens a modal dialog through trigger and saves it once it shows.
    void ShootModal(const std::function<void()>& trigger, const QString& name);
    // "Eigenschaften" of the project, page by page, and a new rule's dialog.
    void ShootOptions();
    void AfterDownload();
    // The language menu, then the window and the settings dialog in German.
    void InOtherLanguage();
    // The bookmark menus opened down to a folder, and the settings pages of
    // the bookmark import (ScreenshotTourBookmarks.cpp).
    void ShootBookmarks();

    THttpGetForm& FWindow;
    TfmDebugLog& FDebugLog;
    QString FFolder, FURL;
    bool FDuringTaken = false;
};

} // namespace vorlin::app
