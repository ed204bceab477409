// Shared by the options and rule dialog tests: finding controls, a rule
// editor answered by the test, modal dialogs answered while they run, and
// the bytes of files.
#pragma once

#include "rules/RuleEditor.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

namespace vorlin::test {

template <typename T> T* Control(QWidget& form, const char* name) {
    T* control = form.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

inline void Press(QWidget& form, const char* button) {
    QTest::mouseClick(Control<QPushButton>(form, button), Qt::LeftButton);
}

inline std::string FileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::string();
    return file.readAll().toStdString();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Answers the next modal dialog from inside its own event loop.
inline void WhenModal(std::function<void(QDialog&)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(*dialog);
    });
    poll->start();
}

// A rule editor whose dialogs the test answers.
struct TScriptedRuleEditor : IRuleEditor {
    std::function<bool(THTTPVorlinRule&)> OnRule;
    int RuleEdits = 0;
    bool EditRule(THTTPVorlinRule& rule) override {
        ++RuleEdits;
        return OnRule && OnRule(rule);
    }
    bool EditMaskCondition(THTTPVorlinMaskCondition&) override { return false; }
    bool EditFileSizeCondition(TFileSizeCondition&) override { return false; }
    bool ChooseDirectory(std::string&) override { return false; }
};

} // namespace vorlin::test
