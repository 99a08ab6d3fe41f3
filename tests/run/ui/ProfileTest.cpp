// The cycle profile in the IDE: the Debug menu's switch, the disassembler's
// column, the hottest addresses window with labels, the CSV export (and its
// failures: a missing folder, a full disk, a read-only file system), and Reset counter emptying it; its sum is the clock counter.
//
// With ZELK_SHOTS set to a folder, pictures of the main window are saved.
#include "../../editor/ui/EditorTestSupport.h"
#include "../../link/SmallDisk.h"

#include "code/ui/frmDisAsm.h"
#include "editor/ui/ProgramSymbols.h"
#include "run/ui/frmProfile.h"

#include <QAction>
#include <QDir>
#include <QTableWidget>
#include <QtTest>

using namespace zelk;

namespace {

void shot(QWidget& w, const char* name)
{
    const QString dir = qEnvironmentVariable("ZELK_SHOTS");
    if (dir.isEmpty())
        return;
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    w.grab().save(dir + "/" + name + ".png");
}

// START: LDAA #3; LOOP: DECA; BNE LOOP; DONE: BRA DONE
void loadCountdown(frmMain& m)
{
    const uint8_t code[] = {0x86, 0x03, 0x4A, 0x26, 0xFD, 0x20, 0xFE};
    for (size_t i = 0; i < sizeof code; ++i)
        m.access().image()[0xC000 + i] = code[i];
    m.access().regs.PC = 0xC000;
    SymbolTable& t = programSymbols();
    t.clear();
    for (auto [value, label] : {std::pair{0xC000, "START"}, {0xC002, "LOOP"}, {0xC005, "DONE"}}) {
        SymbolEntry e;
        e.Value = value;
        e.Label = label;
        t.append(e);
    }
}

void setProfile(frmMain& m, bool on)
{
    m.menuItem("mnuDebugProfile")->setChecked(on);
    m.runCommand("mnuDebugProfile");
}

QString rowText(frmDisAsm* d, int32_t address)
{
    for (int r = 1; r <= 10; ++r)
        if (d->rowAddress(r) == address)
            return d->rowView()->text(r);
    return {};
}

// The column of an executed address as a row shows it.
QString column(const CycleProfile& p, int32_t address)
{
    return QStringLiteral("%1 %2 ").arg(p.executed(address), 8).arg(p.cycles(address), 9);
}

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT
private slots:
    void profileFromMenuToCsv()
    {
        EditorFixture f;
        frmMain& m = f.start();
        m.resize(1100, 760);
        m.show();
        loadCountdown(m);
        auto* dis = qobject_cast<frmDisAsm*>(m.openView("mnuViewDisassembler"));
        QVERIFY(dis);
        dis->goToAddress(0xC000);
        QVERIFY(!m.menuItem("mnuDebugHottest")->isEnabled());
        QVERIFY(!m.menuItem("mnuDebugExportProfile")->isEnabled());
        const QString plain = rowText(dis, 0xC002);

        // On: the counter starts from zero; the commands are there.
        m.run().clockCounter = 1234;
        setProfile(m, true);
        QVERIFY(m.run().profile.enabled());
        QCOMPARE(m.run().clockCounter, 0u);
        QVERIFY(m.menuItem("mnuDebugHottest")->isEnabled());
        QVERIFY(m.menuItem("mnuDebugExportProfile")->isEnabled());

        m.breakpoints().append(0xC005);
        m.runCommand("mnuRunPlay");
        QCOMPARE(m.access().regs.PC, 0xC005);
        const CycleProfile& p = m.run().profile;
        QCOMPARE(p.totalCycles(), uint64_t(m.run().clockCounter));
        QCOMPARE(p.executed(0xC002), uint64_t(3));

        // The disassembler's column, on every instruction row.
        dis->goToAddress(0xC000);
        for (int32_t a : {0xC000, 0xC002, 0xC003})
            QVERIFY2(rowText(dis, a).contains(column(p, a)), qPrintable(rowText(dis, a)));
        // Never executed: the column is blank.
        QVERIFY2(rowText(dis, 0xC005).contains(": 20 FE" + QString(9 + 19, ' ')), qPrintable(rowText(dis, 0xC005)));
        QVERIFY(rowText(dis, 0xC002) != plain);
        shot(m, "profile-01-column");

        // The hottest addresses, most cycles first, with their labels.
        m.runCommand("mnuDebugHottest");
        frmProfile* w = frmProfile::instance();
        QVERIFY(w);
        const std::vector<ProfileEntry> top = p.hottest(frmProfile::Rows);
        QCOMPARE(w->table()->rowCount(), int(top.size()));
        QCOMPARE(int(top.size()), 3);
        for (int r = 0; r < int(top.size()); ++r) {
            const ProfileEntry& e = top[size_t(r)];
            QCOMPARE(w->table()->item(r, 0)->text(),
                     QStringLiteral("$%1").arg(e.address, 4, 16, QLatin1Char('0')).toUpper());
            QCOMPARE(w->table()->item(r, 1)->text(), QString::fromStdString(labelAt(programSymbols(), e.address)));
            QCOMPARE(w->table()->item(r, 3)->text(), QString::number(e.cycles));
        }
        QCOMPARE(w->table()->item(1, 1)->text(), QStringLiteral("LOOP"));  // DECA: 6 of 17 cycles
        shot(*w, "profile-02-hottest");

        // Export: the CSV of the profile, labels included.
        const QString csv = f.dir.filePath("profile.csv");
        f.files.push_back(csv);
        m.runCommand("mnuDebugExportProfile");
        QCOMPARE(EditorFixture::read(csv), QByteArray::fromStdString(p.csv(&programSymbols())));
        QVERIFY(EditorFixture::read(csv).contains("$C002,LOOP,3,6"));
        // A folder that does not exist: the message, no file.
        const QString bad = f.dir.filePath("missing/profile.csv");
        f.files.push_back(bad);
        f.messages.clear();
        m.runCommand("mnuDebugExportProfile");
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages.first().startsWith("Tarvine - Write Error|"), qPrintable(f.messages.first()));
        QVERIFY(!QFile::exists(bad));

        // Reset counter empties the profile and its views.
        m.runCommand("mnuDebugResetCounter");
        QCOMPARE(m.run().clockCounter, 0u);
        QCOMPARE(p.totalExecuted(), uint64_t(0));
        QCOMPARE(w->table()->rowCount(), 0);
        QVERIFY(rowText(dis, 0xC002).contains(": 4A" + QString(12 + 19, ' ')));

        // Off: no column, no commands.
        setProfile(m, false);
        QVERIFY(!m.run().profile.enabled());
        QCOMPARE(rowText(dis, 0xC002), plain);
        QVERIFY(!m.menuItem("mnuDebugHottest")->isEnabled());
        w->close();
    }
    // A full disk or a read-only file system: the message names the cause,
    // the old export keeps every byte and the folder gets no leftovers.
    void exportThatCannotBeWrittenKeepsTheOldFile()
    {
        struct Case {
            const char* name;
            bool readOnly;
            const char* message;
        };
        const QByteArray old("address,label,executed,cycles\n$E000,OLD,1,2\n");
        for (const Case& c : {Case{"full disk", false, "Tarvine - Write Error|No space left on device !"},
                              Case{"read-only", true, "Tarvine - Write Error|Read-only file system !"}}) {
            zelk::test::SmallDisk disk("size=16k");
            if (!disk.available())
                QSKIP(disk.why().c_str());
            EditorFixture f;
            frmMain& m = f.start();
            loadCountdown(m);
            setProfile(m, true);
            m.breakpoints().append(0xC005);
            m.runCommand("mnuRunPlay");
            QVERIFY(!m.run().profile.csv(&programSymbols()).empty());

            const QString dir = QString::fromStdString(disk.dir().string());
            const QString path = dir + "/profile.csv";
            {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                QCOMPARE(file.write(old), qint64(old.size()));
            }
            QStringList kept{"profile.csv"};
            if (c.readOnly) {
                QVERIFY(disk.makeReadOnly());
            } else {
                // Fill every free block, so the new export finds no room.
                QFile filler(dir + "/filler");
                QVERIFY(filler.open(QIODevice::WriteOnly));
                const QByteArray block(4096, 'x');
                while (filler.write(block) == block.size() && filler.flush()) {
                }
                kept.prepend("filler");
            }
            f.files.push_back(path);
            f.messages.clear();
            m.runCommand("mnuDebugExportProfile");
            QVERIFY2(f.files.empty(), c.name);
            QCOMPARE(f.messages, QStringList{c.message});
            QCOMPARE(EditorFixture::read(path), old);
            QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name), kept);
            setProfile(m, false);
        }
    }
};

QTEST_MAIN(ProfileTest)
#include "ProfileTest.moc"
