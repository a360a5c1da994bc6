#pragma once

// What the desktop program's end-to-end tests share: a farm connected at start-up, the
// environment that points the program at it, and an operator's hand on the event loop.

#include "E2eSupport.h"

#include "app/qt/CTreeListApp.h"
#include "kiln/qt/KilnListModel.h"
#include "sheets/CPaletteSheet.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>

// A hive whose farm 1 has the units on COM1 and is connected at start-up: the farm's
// "Bit Set 1" in the farm's own section.
inline void WriteStartupHive(const std::string& path, std::initializer_list<int> units) {
    WriteHive(path, units, 1);
    std::string hive = ReadFile(path);
    hive.insert(hive.size() - 2, "\"Bit Set 1\"=dword:00000001\r\n");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << hive;
}

// The program in this process finds its hive, COM1 and settings in the folder.
inline void UseFarmFolder(const TempFolder& tmp) {
    qputenv("KILNWATCH_REGISTRY", QByteArray::fromStdString(tmp / "registry.reg"));
    qputenv("KILNWATCH_COM1", QByteArray::fromStdString(tmp / "com1"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp / "config"));
}

// Start-up options that keep the single-instance guard and the PC logs inside the folder.
inline CTreeListApp::Options OptionsInFolder(const TempFolder& tmp) {
    CTreeListApp::Options options;
    options.guardDirectory = QString::fromStdString(tmp.Path().string());
    options.workingDirectory = tmp / "work";
    return options;
}

// Runs the event loop until done says so or the time is up; true when done.
inline bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Answers an open Log Descriptor prompt (a dialog with a line to type, not skip) with text;
// true when there was one.
inline bool AnswerDescriptorPrompt(const QString& text, const QWidget* skip = nullptr) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog == nullptr || dialog == skip || !dialog->isVisible()) {
            continue;
        }
        if (auto* edit = dialog->findChild<QLineEdit*>()) {
            edit->setText(text);
            dialog->accept();
            return true;
        }
    }
    return false;
}

// The controller sheet on screen, or nullptr.
inline CPaletteSheet* VisiblePaletteSheet() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* sheet = qobject_cast<CPaletteSheet*>(widget);
            sheet != nullptr && sheet->isVisible()) {
            return sheet;
        }
    }
    return nullptr;
}

inline QString Cell(const KilnListModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}
