// The "Edit MIDI Data" window through real clicks and keys: kinds, sliders and preview,
// inserting and erasing through the strip, typed bytes, every message, and the round
// trip from the main window into the window and back into the preset.
#include "main_window/main_form.h"
#include "main_window/midi_events_form.h"
#include "scripted_interaction.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using testing::ScriptedInteraction;

class MidiEventsFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedInteraction> m_interaction;
    std::unique_ptr<TMidiEventsForm> m_form;

    template <typename T> T* child(const char* name) const {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w) {
            qFatal("no control %s", name);
        }
        return w;
    }
    QString strip() const {
        QStringList cells;
        for (int c = 0; c < 16; ++c) {
            cells << m_form->grid()->item(0, c)->text();
        }
        return cells.join('|');
    }
    QByteArray bytes() const {
        const auto& b = m_form->buffer().bytes();
        return QByteArray(reinterpret_cast<const char*>(b.data()), 16).toHex(' ').toUpper();
    }
    void clickCell(int cell) {
        const QRect rect = m_form->grid()->visualItemRect(m_form->grid()->item(0, cell));
        QTest::mouseClick(m_form->grid()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void doubleClickCell(int cell) {
        const QRect rect = m_form->grid()->visualItemRect(m_form->grid()->item(0, cell));
        QTest::mousePress(m_form->grid()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(m_form->grid()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(m_form->grid()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // On the button's indicator: a radio button takes clicks on its indicator and text only.
    void clickRadio(const char* name) {
        auto* button = child<QRadioButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void type(const QString& text) {
        auto* entry = child<QLineEdit>("edManualInput");
        entry->clear();
        QTest::keyClicks(entry, text);
        QTest::keyClick(entry, Qt::Key_Return);
    }
    void open(const QByteArray& hex) {
        MidiDataBuffer::Bytes b;
        b.fill(0xFF);
        const QByteArray raw = QByteArray::fromHex(hex);
        std::copy(raw.begin(), raw.end(), b.begin());
        m_form->buffer().setBytes(b);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    int selectedCell() const {
        const auto selected = m_form->grid()->selectedItems();
        return selected.isEmpty() ? -1 : selected.first()->column();
    }

private slots:
    void init() {
        m_interaction = std::make_unique<ScriptedInteraction>();
        m_form = std::make_unique<TMidiEventsForm>(*m_interaction);
    }
    void cleanup() { m_form.reset(); }

    void opensOnNoteOnWithAnEmptyStrip() {
        open("");
        QVERIFY(child<QRadioButton>("rbNoteOn")->isChecked());
        QCOMPARE(strip(), QStringList(16, " ").join('|'));
        QCOMPARE(selectedCell(), 0);
        QCOMPARE(m_form->previewText(), QStringLiteral("90 3C 7F"));
        QCOMPARE(child<QLineEdit>("edMidiParam1")->text(), QStringLiteral("C 5"));
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>("edManualInput"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Edit MIDI Data"));
        QCOMPARE(m_form->size(), QSize(465, 563));
    }

    void kindsSetLabelsAndRows_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("channel");
        QTest::addColumn<QString>("preview");
        QTest::newRow("Control Change") << "rbControlChange"
                                        << "Controller :"
                                        << "Value :" << true << "B0 3C 7F";
        QTest::newRow("Program Change") << "rbProgramChange"
                                        << "Patch Number :"
                                        << "" << true << "C0 3C";
        QTest::newRow("Poly Aftertouch") << "rbPolyAftertouch"
                                         << "Key (Note #) :"
                                         << "Pressure :" << true << "A0 3C 7F";
        QTest::newRow("Song Select") << "rbSongSelect"
                                     << "Song Number :"
                                     << "" << false << "F3 3C";
        QTest::newRow("Start") << "rbStart"
                               << ""
                               << "" << false << "FA";
        QTest::newRow("Stop") << "rbStop"
                              << ""
                              << "" << false << "FC";
    }
    void kindsSetLabelsAndRows() {
        QFETCH(QString, button);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, channel);
        QFETCH(QString, preview);
        open("");
        clickRadio(button.toLatin1().constData());
        QCOMPARE(child<QLabel>("lblParam1")->text(), first);
        QCOMPARE(child<QLabel>("lblParam2")->text(), second);
        QCOMPARE(child<QSlider>("tbMidiParam1")->isVisible(), !first.isEmpty());
        QCOMPARE(child<QLineEdit>("edMidiParam2")->isVisible(), !second.isEmpty());
        QCOMPARE(child<QSlider>("tbMidiChannel")->isEnabled(), channel);
        QCOMPARE(child<QLineEdit>("edMidiChannel")->isEnabled(), channel);
        QVERIFY(child<QSlider>("tbMidiChannel")->isVisible()); // greyed, never hidden
        QCOMPARE(m_form->previewText(), preview);
    }

    void slidersUpdateThePreview() {
        open("");
        clickRadio("rbControlChange");
        auto* channel = child<QSlider>("tbMidiChannel");
        channel->setFocus();
        QTest::keyClick(channel, Qt::Key_End);
        child<QSlider>("tbMidiParam1")->setValue(7);
        child<QSlider>("tbMidiParam2")->setValue(100);
        QCOMPARE(child<QLineEdit>("edMidiChannel")->text(), QStringLiteral("16"));
        QCOMPARE(m_form->previewText(), QStringLiteral("BF 07 64"));
        QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        QCOMPARE(bytes().left(8), QByteArray("BF 07 64"));
        clickRadio("rbNoteOn");
        child<QSlider>("tbMidiParam1")->setValue(120);
        QCOMPARE(child<QLineEdit>("edMidiParam1")->text(), QStringLiteral("---"));
        child<QSlider>("tbMidiParam1")->setValue(61);
        QCOMPARE(child<QLineEdit>("edMidiParam1")->text(), QStringLiteral("C#5"));
    }

    void insertingAtASelectedCell() {
        open("903C7F");
        QCOMPARE(selectedCell(), 3);
        clickCell(0);
        QCOMPARE(selectedCell(), 0);
        type("B0");
        QCOMPARE(bytes().left(11), QByteArray("B0 90 3C 7F"));
        QCOMPARE(selectedCell(), 4);
        QCOMPARE(child<QLineEdit>("edManualInput")->text(), QString());
        type("12");
        QCOMPARE(bytes().left(14), QByteArray("B0 90 3C 7F 12"));
        clickCell(0);
        clickRadio("rbStart");
        QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        QCOMPARE(bytes().left(20), QByteArray("FA FA B0 90 3C 7F 12"));
        clickCell(12); // beyond the data: the first free cell instead
        QCOMPARE(selectedCell(), 7);
    }

    void doubleClickErases() {
        open("903C7F");
        doubleClickCell(1);
        QCOMPARE(bytes().left(8), QByteArray("90 7F FF"));
        QCOMPARE(strip().left(5), QStringLiteral("90|7F"));
        doubleClickCell(2); // the first free cell
        doubleClickCell(9);
        QCOMPARE(bytes().left(8), QByteArray("90 7F FF"));
        QTest::mouseClick(child<QPushButton>("btnEraseAll"), Qt::LeftButton);
        QCOMPARE(m_form->buffer().byteCount(), 0);
        QCOMPARE(selectedCell(), 0);
    }

    void hiddenBytesStayBehindTheEnd() {
        open("90FF05");
        QCOMPARE(strip().left(4), QStringLiteral("90| "));
        clickCell(1);
        clickRadio("rbStart");
        QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        QCOMPARE(bytes().left(11), QByteArray("90 FA FF 05"));
    }

    void messages_data() {
        QTest::addColumn<QByteArray>("present");
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<QString>("typed"); // empty: a standard Note On insert
        QTest::addColumn<QString>("shownMessage");
        QTest::addColumn<int>("icon");
        const QByteArray fourteen = QByteArray(14, 0x11).toHex();
        const QByteArray sixteen = QByteArray(16, 0x11).toHex();
        QTest::newRow("3-byte event into 14")
            << fourteen << false << ""
            << "Error|Not enough room!" << int(QMessageBox::NoIcon);
        QTest::newRow("hex FF") << QByteArray() << false << "FF"
                                << "Error|Value exceeds 254 (decimal)."
                                << int(QMessageBox::Warning);
        QTest::newRow("decimal 255")
            << QByteArray() << true << "255"
            << "Error|Value exceeds 254 (decimal)." << int(QMessageBox::Warning);
        QTest::newRow("full, typed") << sixteen << false << "12"
                                     << "Error|Not enough room!" << int(QMessageBox::NoIcon);
        QTest::newRow("full, FF first")
            << sixteen << false << "FF"
            << "Error|Value exceeds 254 (decimal)." << int(QMessageBox::Warning);
        QTest::newRow("decimal abc")
            << QByteArray() << true << "abc"
            << "Tarnwick Editor|'abc' is not a valid integer value." << int(QMessageBox::Critical);
        QTest::newRow("decimal negative")
            << QByteArray() << true << "-5"
            << "Error|Value must be 0 to 254 (decimal)." << int(QMessageBox::Warning);
    }
    void messages() {
        QFETCH(QByteArray, present);
        QFETCH(bool, decimal);
        QFETCH(QString, typed);
        QFETCH(QString, shownMessage);
        QFETCH(int, icon);
        open(present);
        const QByteArray before = bytes();
        if (decimal) {
            clickRadio("rbDecimal");
        }
        if (typed.isEmpty()) {
            QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        } else {
            type(typed);
            QCOMPARE(child<QLineEdit>("edManualInput")->text(), typed); // the entry stays
        }
        QCOMPARE(m_interaction->shown(), QStringList{shownMessage});
        QCOMPARE(int(m_interaction->messages[0].icon), icon);
        QCOMPARE(bytes(), before);
        QVERIFY(m_form->isVisible());
    }

    void fullStripShowsNoSelection() {
        open(QByteArray(16, 0x22).toHex());
        QCOMPARE(selectedCell(), -1);
        doubleClickCell(15);
        QCOMPARE(m_form->buffer().byteCount(), 15);
    }

    void entryLengthFollowsTheBase() {
        open("");
        auto* entry = child<QLineEdit>("edManualInput");
        QTest::keyClicks(entry, "ABC");
        QCOMPARE(entry->text(), QStringLiteral("AB"));
        clickRadio("rbDecimal");
        entry->clear();
        QTest::keyClicks(entry, "1234");
        QCOMPARE(entry->text(), QStringLiteral("123"));
        clickRadio("rbHexadecimal");
        QCOMPARE(entry->text(), QStringLiteral("123")); // the text stays as typed
        QTest::keyClicks(entry, "4");
        QCOMPARE(entry->text(), QStringLiteral("123")); // new typing keeps to two
        QTest::mouseClick(child<QPushButton>("btnInsert2"), Qt::LeftButton);
        QCOMPARE(bytes().left(2), QByteArray("12"));
        entry->setText(QStringLiteral("\u00E91")); // two characters, three bytes in UTF-8
        QTest::keyClick(entry, Qt::Key_Enter);
        QCOMPARE(bytes().left(5), QByteArray("12 01"));
        entry->setText("G1");
        QTest::keyClick(entry, Qt::Key_Enter);
        QCOMPARE(bytes().left(8), QByteArray("12 01 01"));
        QTest::keyClick(entry, Qt::Key_Return); // empty entry: 00
        QCOMPARE(bytes().left(11), QByteArray("12 01 01 00"));
    }

    void arrowKeysSelectCellsAsClicksDo() {
        open("903C7F");
        clickCell(1);
        QCOMPARE(QApplication::focusWidget(), m_form->grid());
        QTest::keyClick(m_form->grid(), Qt::Key_Left);
        QCOMPARE(selectedCell(), 0);
        QTest::keyClick(m_form->grid(), Qt::Key_Left);
        QCOMPARE(selectedCell(), 0);
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(m_form->grid(), Qt::Key_Right); // not past the first free cell
        }
        QCOMPARE(selectedCell(), 3);
        QTest::keyClick(m_form->grid(), Qt::Key_Home);
        QCOMPARE(m_form->buffer().insertPosition(), 0);
        clickRadio("rbStart");
        QTest::mouseClick(child<QPushButton>("btnInsert1"), Qt::LeftButton);
        QCOMPARE(bytes().left(11), QByteArray("FA 90 3C 7F"));
    }

    void escapeDoesNotCloseTheCloseBoxActsAsOk() {
        open("");
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_form->result(), int(QDialog::Accepted));
        open("");
        QCloseEvent closeBox; // the close box, or Alt+F4, through the window manager
        QApplication::sendEvent(m_form->windowHandle(), &closeBox);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_form->result(), int(QDialog::Accepted));
    }

    void everyControlHasAName() {
        open("");
        for (QWidget* w : m_form->findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || !w->isVisible() ||
                qobject_cast<QTableWidget*>(w->parentWidget())) {
                continue;
            }
            QString name = w->accessibleName();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                name += b->text().trimmed();
            }
            if (name.isEmpty()) {
                // Sliders take their labels as buddies.
                for (QLabel* l : m_form->findChildren<QLabel*>()) {
                    if (l->buddy() == w) {
                        name = l->text();
                    }
                }
            }
            QVERIFY2(!name.isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(m_form->grid()->accessibleName(), QStringLiteral("MIDI data bytes"));
    }

    void screenshot() {
        open("903C7FB00764");
        clickCell(1);
        const QString dir = QStringLiteral(TARNWICK_BUILD_DIR "/screenshots");
        QDir().mkpath(dir);
        QVERIFY(m_form->grab().save(dir + "/midi-data-editor.png"));
    }

    void roundTripThroughTheMainWindow() {
        TMainForm main(*m_interaction);
        main.setMidiEventsForm(m_form.get());
        main.show();
        PresetRecord& preset = main.bank().current();
        preset.data = {0x90, 0x3C, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        main.loadPresetFromBank();
        main.findChild<QLineEdit*>("edPresetName")->setText("Not yet stored");
        QVERIFY(main.presetEdited());
        m_interaction->onModal = [this](QDialog& dialog) {
            dialog.show();
            clickRadio("rbControlChange");
            child<QSlider>("tbMidiParam1")->setValue(33);
            doubleClickCell(1);
            QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
            return dialog.result();
        };
        QTest::mouseClick(main.findChild<QPushButton*>("btnArbMidiData"), Qt::LeftButton);
        QCOMPARE(main.findChild<QLineEdit*>("edArbMidiData")->text(), QStringLiteral("90 7F "));
        QCOMPARE(int(preset.data[0]), 0x90);
        QCOMPARE(int(preset.data[1]), 0x7F);
        QVERIFY(std::all_of(preset.data.begin() + 2, preset.data.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
        QCOMPARE(PresetName(preset), std::string("Not yet store")); // stored before opening
        QVERIFY(main.presetEdited());                               // the mark keeps its value

        // Reopening shows Note On again, the sliders where they were left.
        QStringList seen;
        m_interaction->onModal = [this, &seen](QDialog& dialog) {
            dialog.show();
            seen << (child<QRadioButton>("rbNoteOn")->isChecked() ? "Note On" : "other")
                 << child<QLabel>("lblParam1")->text() << child<QLabel>("lblParam2")->text()
                 << QString::number(child<QSlider>("tbMidiParam1")->value());
            QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
            return dialog.result();
        };
        QTest::mouseClick(main.findChild<QPushButton*>("btnArbMidiData"), Qt::LeftButton);
        QCOMPARE(seen, (QStringList{"Note On", "Key (Note #) :", "Velocity :", "33"}));
        main.setMidiEventsForm(nullptr);
    }
};

QTEST_MAIN(MidiEventsFormTest)
#include "test_midi_events_form.moc"
