// The number dialogs as the user drives them: the notations Enter Value
// accepts and refuses for bytes and words, the Memory Display Address key
// filter, Go To Address and Watch with numbers and labels, empty OK, Cancel,
// and the one-call helpers that callers use.
#include "editor/SymbolTable.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"
#include "views/ui/frmAddress.h"
#include "views/ui/frmEnterVal.h"
#include "views/ui/frmMemAdr.h"
#include "views/ui/frmWatchAdr.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace zelk;

namespace {

SymbolEntry label(const char* name, int value)
{
    SymbolEntry e;
    e.Label = name;
    e.Value = value;
    return e;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QSettings> qs_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<frmMain> main_;
    QStringList messages_;
    SymbolTable symbols_;

    // Types text into box and presses OK; returns whether the dialog closed.
    static bool typeAndOK(ValueDialog& dlg, QLineEdit* box, const QString& text)
    {
        dlg.show();
        box->clear();
        QTest::keyClicks(box, text);
        QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        return !dlg.isVisible();
    }

private slots:
    void initTestCase()
    {
        qs_ = std::make_unique<QSettings>(dir_.filePath("zelk.ini"), QSettings::IniFormat);
        qs_->setValue("Settings/COMDevice", "/nonexistent/zelk-test-port");
        store_ = std::make_unique<SettingsStore>(qs_.get());
        main_ = std::make_unique<frmMain>(store_.get());
        main_->messageHook = [this](const QString& c, const QString& t, MessageIcon) { messages_ << c + "|" + t; };
        main_->forceSimulator();
        symbols_.append(label("START", 0xE000));
        symbols_.append(label("PORTA", 0x1000));
        symbols_.append(label("BIG", 0x10000 - 1));
        setSharedSymbols(&symbols_);
    }

    void cleanupTestCase() { setSharedSymbols(nullptr); }

    void init() { messages_.clear(); }

    // ---- Enter Value ------------------------------------------------------
    void enterValueNotations_data()
    {
        QTest::addColumn<bool>("isWord");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");  // -1: refused
        QTest::newRow("byte hex FF") << false << "$FF" << 255;
        QTest::newRow("byte hex lower ff") << false << "$ff" << 255;
        QTest::newRow("byte hex 100") << false << "$100" << -1;
        QTest::newRow("byte decimal 256") << false << "256" << -1;
        QTest::newRow("byte binary") << false << "%11111111" << 255;
        QTest::newRow("byte binary 9 bits") << false << "%111111111" << -1;
        QTest::newRow("byte octal") << false << "@377" << 255;
        QTest::newRow("byte octal 400") << false << "@400" << -1;
        QTest::newRow("byte leading zero") << false << "0255" << 255;
        QTest::newRow("byte six characters") << false << "000255" << -1;
        QTest::newRow("byte zero") << false << "0" << 0;
        QTest::newRow("word max") << true << "65535" << 65535;
        QTest::newRow("word hex max") << true << "$FFFF" << 65535;
        QTest::newRow("word hex six characters") << true << "$10000" << -1;
        QTest::newRow("word 65536") << true << "65536" << -1;
        QTest::newRow("word octal") << true << "@177777" << 65535;
        QTest::newRow("trailing letter") << false << "12a" << -1;
        QTest::newRow("negative") << false << "-5" << -1;
        QTest::newRow("lone dollar") << false << "$" << -1;
        QTest::newRow("lone percent") << false << "%" << -1;
        QTest::newRow("lone at") << true << "@" << -1;
        QTest::newRow("octal digit 8") << false << "@18" << -1;
        QTest::newRow("binary digit 2") << false << "%102" << -1;
        QTest::newRow("hex digit G") << true << "$1G" << -1;
        QTest::newRow("blank inside") << true << "1 2" << -1;
    }

    void enterValueNotations()
    {
        QFETCH(bool, isWord);
        QFETCH(QString, text);
        QFETCH(int, value);
        DialogFields f;
        f.DialogIsWord = isWord;
        f.DialogValue = 4242;  // what an earlier dialog left
        frmEnterVal dlg(f, main_.get());
        const bool closed = typeAndOK(dlg, dlg.txtValue, text);
        if (value >= 0) {
            QVERIFY(closed);
            QVERIFY(f.DialogOK);
            QCOMPARE(f.DialogValue, value);
            QVERIFY(messages_.isEmpty());
        } else {
            QVERIFY(!closed);
            QVERIFY(!f.DialogOK);
            QCOMPARE(f.DialogValue, 4242);
            QCOMPARE(dlg.txtValue->text(), QString());
            QCOMPARE(messages_, QStringList{"Tarvine - Enter Value|Invalid Number !"});
        }
    }

    void enterValueShowsNameAndSelectedText()
    {
        DialogFields f;
        f.DialogName = "$00FE";
        f.DialogText = "$12";
        frmEnterVal dlg(f, main_.get());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Enter Value"));
        QCOMPARE(dlg.lbName->text(), QStringLiteral("$00FE:"));
        QCOMPARE(dlg.txtValue->text(), QStringLiteral("$12"));
        QCOMPARE(dlg.txtValue->selectedText(), QStringLiteral("$12"));
        QCOMPARE(dlg.txtValue->maxLength(), 18);
        // Typing replaces the selected initial value.
        dlg.show();
        QTest::keyClicks(dlg.txtValue, "$34");
        QTest::keyClick(dlg.txtValue, Qt::Key_Return);
        QVERIFY(f.DialogOK);
        QCOMPARE(f.DialogValue, 0x34);
    }

    void enterValueEmptyOKOnlyRefocuses()
    {
        DialogFields f;
        f.DialogValue = 7;
        frmEnterVal dlg(f, main_.get());
        QVERIFY(!typeAndOK(dlg, dlg.txtValue, ""));
        QVERIFY(!f.DialogOK);
        QCOMPARE(f.DialogValue, 7);
        QVERIFY(messages_.isEmpty());
    }

    void enterValueCancelLeavesOKFalse()
    {
        DialogFields f;
        frmEnterVal dlg(f, main_.get());
        dlg.show();
        QTest::keyClicks(dlg.txtValue, "$12");
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!f.DialogOK);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void enterValueRefusalThenCorrection()
    {
        DialogFields f;
        frmEnterVal dlg(f, main_.get());
        QVERIFY(!typeAndOK(dlg, dlg.txtValue, "$100"));
        QVERIFY(typeAndOK(dlg, dlg.txtValue, "$10"));
        QCOMPARE(f.DialogValue, 16);
        QCOMPARE(messages_.size(), 1);
    }

    // ---- Memory Display Address --------------------------------------------
    void memAdrKeyFilter_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters outside hex dropped") << "1g2f" << "12F";
        QTest::newRow("fifth digit dropped") << "12345" << "1234";
        QTest::newRow("dollar dropped") << "$c0" << "C0";
        QTest::newRow("lower case raised") << "abcd" << "ABCD";
        QTest::newRow("blanks and signs dropped") << " -+1" << "1";
    }

    void memAdrKeyFilter()
    {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        DialogFields f;
        frmMemAdr dlg(f, main_.get());
        dlg.show();
        QCOMPARE(dlg.txtAdr->text(), QString());
        QTest::keyClicks(dlg.txtAdr, keys);
        QCOMPARE(dlg.txtAdr->text(), text);
    }

    void memAdrOvertypeAndBackspace()
    {
        DialogFields f;
        frmMemAdr dlg(f, main_.get());
        dlg.show();
        QTest::keyClicks(dlg.txtAdr, "1234");
        dlg.txtAdr->setCursorPosition(1);
        QTest::keyClicks(dlg.txtAdr, "9");
        QCOMPARE(dlg.txtAdr->text(), QStringLiteral("1934"));
        QCOMPARE(dlg.txtAdr->cursorPosition(), 2);
        QTest::keyClick(dlg.txtAdr, Qt::Key_Backspace);
        QCOMPARE(dlg.txtAdr->text(), QStringLiteral("134"));
    }

    void memAdrOKReadsHex()
    {
        DialogFields f;
        frmMemAdr dlg(f, main_.get());
        dlg.show();
        QTest::keyClick(dlg.txtAdr, Qt::Key_Return);  // empty: stays open
        QVERIFY(dlg.isVisible());
        QVERIFY(!f.DialogOK);
        QTest::keyClicks(dlg.txtAdr, "c00f");
        QTest::keyClick(dlg.txtAdr, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QVERIFY(f.DialogOK);
        QCOMPARE(f.DialogAddress, 0xC00F);
    }

    void memAdrPasteOfNonHexIsRefused()
    {
        DialogFields f;
        frmMemAdr dlg(f, main_.get());
        dlg.show();
        dlg.txtAdr->insert("zz");  // as a paste would
        QCOMPARE(dlg.txtAdr->text(), QString());
    }

    // ---- Go To Address --------------------------------------------------------
    void goToAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");  // -1: refused
        QTest::newRow("label lower case") << "start" << 0xE000;
        QTest::newRow("label upper case") << "START" << 0xE000;
        QTest::newRow("hex") << "$C000" << 0xC000;
        QTest::newRow("decimal") << "49152" << 0xC000;
        QTest::newRow("binary") << "%1" << 1;
        QTest::newRow("octal") << "@10" << 8;
        QTest::newRow("unknown label") << "nolabel" << -1;
        QTest::newRow("above 16 bits") << "70000" << -1;
        QTest::newRow("hex above 16 bits") << "$10000" << -1;
        QTest::newRow("label wins over nothing") << "porta" << 0x1000;
    }

    void goToAddress()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        DialogFields f;
        frmAddress dlg(f, main_.get());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Go To Address"));
        QCOMPARE(dlg.lbAdr->text(), QStringLiteral("Address:"));
        QCOMPARE(dlg.txtAdr->text(), QString());
        const bool closed = typeAndOK(dlg, dlg.txtAdr, text);
        QCOMPARE(closed, value >= 0);
        QCOMPARE(f.DialogOK, value >= 0);
        if (value >= 0) {
            QCOMPARE(f.DialogValue, value);
            QVERIFY(messages_.isEmpty());
        } else {
            QCOMPARE(f.DialogValue, -1);
            QCOMPARE(dlg.txtAdr->text(), QString());
            QCOMPARE(messages_, QStringList{"Tarvine - Go To Address|Invalid Address !"});
        }
    }

    void goToAddressWithoutSymbolsRefusesLabels()
    {
        SymbolTable none;
        DialogFields f;
        frmAddress dlg(f, main_.get(), &none);
        QVERIFY(!typeAndOK(dlg, dlg.txtAdr, "start"));
        QCOMPARE(messages_, QStringList{"Tarvine - Go To Address|Invalid Address !"});
    }

    // ---- Watch ------------------------------------------------------------------
    void watchDialog_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("word");
        QTest::addColumn<int>("value");  // -1: refused
        QTest::addColumn<QString>("name");
        QTest::newRow("label becomes name") << "porta" << false << 0x1000 << "PORTA";
        QTest::newRow("number has no name") << "$1000" << true << 0x1000 << "";
        QTest::newRow("hex out of range") << "$10000" << false << -1 << "";
        QTest::newRow("decimal out of range") << "70000" << true << -1 << "";
        QTest::newRow("unknown label") << "nothere" << false << -1 << "";
    }

    void watchDialog()
    {
        QFETCH(QString, text);
        QFETCH(bool, word);
        QFETCH(int, value);
        QFETCH(QString, name);
        DialogFields f;
        f.DialogIsWord = !word;
        frmWatchAdr dlg(f, main_.get());
        QCOMPARE(dlg.optWord->isChecked(), !word);
        (word ? dlg.optWord : dlg.optByte)->setChecked(true);
        const bool closed = typeAndOK(dlg, dlg.txtAdr, text);
        QCOMPARE(closed, value >= 0);
        if (value >= 0) {
            QVERIFY(f.DialogOK);
            QCOMPARE(f.DialogValue, value);
            QCOMPARE(QString::fromStdString(f.DialogName), name);
            QCOMPARE(f.DialogIsWord, word);
        } else {
            QVERIFY(!f.DialogOK);
            QCOMPARE(dlg.txtAdr->text(), QString());
            QCOMPARE(messages_, QStringList{"Tarvine - Watch|Invalid Address !"});
        }
    }

    void watchDialogStartsWithText()
    {
        DialogFields f;
        f.DialogText = "PORTA";
        f.DialogIsWord = true;
        frmWatchAdr dlg(f, main_.get());
        QCOMPARE(dlg.txtAdr->text(), QStringLiteral("PORTA"));
        QCOMPARE(dlg.txtAdr->selectedText(), QStringLiteral("PORTA"));
        QVERIFY(dlg.optWord->isChecked());
        QVERIFY(!dlg.optByte->isChecked());
    }

    // ---- The one-call helpers ----------------------------------------------------
    void helpersRunModallyAndReturnTheResult()
    {
        int32_t value = -5;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmEnterVal*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->lbName->text(), QStringLiteral("A:"));
            QCOMPARE(d->helpContext(), 194);
            QTest::keyClicks(d->txtValue, "%101");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        QVERIFY(EnterValue(main_.get(), "A", "$00", false, value, 194));
        QCOMPARE(value, 5);
        QVERIFY(dialogFields().DialogOK);

        int32_t address = 99;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmAddress*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->helpContext(), 191);
            QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        });
        QVERIFY(!GoToAddress(main_.get(), address, 191));
        QCOMPARE(address, 99);
        QVERIFY(!dialogFields().DialogOK);

        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmMemAdr*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QTest::keyClicks(d->txtAdr, "b6");
            QTest::keyClick(d->txtAdr, Qt::Key_Return);
        });
        QVERIFY(MemoryDisplayAddress(main_.get(), address));
        QCOMPARE(address, 0xB6);

        QString name;
        bool isWord = false;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmWatchAdr*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->optWord->setChecked(true);
            QTest::keyClicks(d->txtAdr, "start");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        QVERIFY(WatchAddress(main_.get(), "", address, name, isWord));
        QCOMPARE(address, 0xE000);
        QCOMPARE(name, QStringLiteral("START"));
        QVERIFY(isWord);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
