// Shared by the editor, assemble and download window tests: a main window
// over temporary settings in simulator mode, with the questions, file
// dialogs and message boxes answered by scripts instead of modal boxes.
#pragma once

#include "../../shell/ShellTestSupport.h"

#include "editor/ui/frmEditor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QStringList>
#include <QTest>

#include <deque>

// Types text into a widget key by key; line ends and tabs as their keys.
inline void typeKeys(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c == '\n')
            QTest::keyClick(w, Qt::Key_Return);
        else if (c == '\t')
            QTest::keyClick(w, Qt::Key_Tab);
        else
            QTest::keyClicks(w, QString(c));
    }
}

// Copies as11 and asm.sh from beside the test program into `dir`, so that
// test programs running at the same time do not share the fixed scratch
// names of one program directory. Returns false when they are not built.
inline bool copyAssembler(const QString& dir)
{
    const QString bin = QCoreApplication::applicationDirPath();
    for (const char* name : {"as11", "asm.sh"}) {
        const QString to = dir + "/" + name;
        QFile::remove(to);
        if (!QFile::copy(bin + "/" + name, to))
            return false;
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner);
    }
    return true;
}

struct EditorFixture : ShellFixture {
    // Answers to questions, in order; each question asked is recorded as
    // "caption|text".
    std::deque<QMessageBox::StandardButton> answers;
    QStringList questions;
    // File dialog results, in order (empty = Cancel); each dialog is
    // recorded as "caption|preset|index".
    std::deque<QString> files;
    QStringList dialogs;

    EditorFixture()
    {
        zelk::EditorPrompts::question = [this](QWidget*, const QString& caption, const QString& text,
                                               QMessageBox::StandardButtons, QMessageBox::Icon) {
            questions << caption + "|" + text;
            if (answers.empty())
                return QMessageBox::Cancel;
            const auto a = answers.front();
            answers.pop_front();
            return a;
        };
        zelk::EditorPrompts::fileDialog = [this](QWidget*, const QString& caption, const QString&, int& index,
                                                 const QString& preset, bool) {
            dialogs << QStringLiteral("%1|%2|%3").arg(caption, preset).arg(index);
            if (files.empty())
                return QString();
            const QString f = files.front();
            files.pop_front();
            return f;
        };
    }

    // The windows go before the main window: it would otherwise delete
    // several of them while walking its own list of them.
    ~EditorFixture()
    {
        if (main) {
            main->mdiArea()->closeAllSubWindows();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Writes text to a file in the temporary folder; returns its path.
    QString write(const QString& name, const QByteArray& text)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};
