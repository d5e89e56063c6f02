// The MIDI menu's connection modes and the "Choose MIDI Interface" dialog, with an
// in-process keypad: check marks, status texts, the identity part, and every way the
// choice can fail.
#include "commands/command_wiring.h"
#include "commands/direct_midi_command.h"
#include "commands/interface_form.h"
#include "editor_fixture.h"
#include "fake_clock.h"
#include "fake_midi_backend.h"
#include "main_window/main_form.h"
#include "port_layer.h"
#include "scripted_interaction.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tarnwick;
using testing::EditorFixture;
using testing::FakeClock;
using testing::FakeMidiBackend;
using testing::ScriptedInteraction;

class ConnectionModesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> m_f;
    TInterfaceForm* m_chooser = nullptr;
    std::unique_ptr<DirectMidiCommand> m_directMidi;

    QString status() const { return m_f->main.statusPanel(0)->text(); }
    QStringList checked() const {
        QStringList names;
        for (const char* name :
             {"mnuPickConnection", "mnuFileMode", "mnuDirectMIDI", "mnuExternalApp"}) {
            if (m_f->main.findChild<QAction*>(name)->isChecked()) {
                names << name;
            }
        }
        return names;
    }
    void trigger(const char* item) { m_f->main.findChild<QAction*>(item)->trigger(); }
    // The user's answer in the chooser: OK or Cancel, after it has listed the interfaces.
    void answerChooser(bool ok, QStringList* listed = nullptr, bool* okEnabled = nullptr) {
        m_f->interaction.onModal = [ok, listed, okEnabled](QDialog& dialog) {
            dialog.show();
            auto* list = dialog.findChild<QComboBox*>("ComboBox1");
            auto* okButton = dialog.findChild<QPushButton*>("btnOK");
            if (listed) {
                listed->clear();
                for (int i = 0; i < list->count(); ++i) {
                    *listed << list->itemText(i);
                }
                *listed << QStringLiteral("current %1").arg(list->currentIndex());
            }
            if (okEnabled) {
                *okEnabled = okButton->isEnabled();
            }
            QTest::mouseClick(ok ? okButton : dialog.findChild<QPushButton*>("btnCancel"),
                              Qt::LeftButton);
            dialog.hide();
            return dialog.result();
        };
    }

private slots:
    void init() {
        m_f = std::make_unique<EditorFixture>();
        m_f->midi.outputs = {std::string("Synth"), std::string("Tarnwick Keypad")};
        m_f->midi.inputs = {std::string("Tarnwick Keypad")};
        m_chooser = new TInterfaceForm(m_f->ports, &m_f->main);
        m_directMidi = std::make_unique<DirectMidiCommand>(m_f->main, *m_chooser, m_f->interaction);
        ConnectCommands(m_f->main, *m_directMidi);
        m_f->main.show();
    }
    void cleanup() { m_f.reset(); }

    void startsWithNoConnectionChosen() {
        QCOMPARE(m_f->main.connectionMode(), ConnectionMode::NotChosen);
        QCOMPARE(checked(), QStringList{"mnuPickConnection"});
        QCOMPARE(status(), QStringLiteral("MIDI: None (save to file only)"));
        trigger("mnuPickConnection"); // a title line: nothing changes
        QCOMPARE(checked(), QStringList{"mnuPickConnection"});
        QCOMPARE(m_f->ports.selectedInterface(), -1);
    }

    void fileAndExternalModes_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("file only") << "mnuFileMode" << 1 << "MIDI: None (save to file only)";
        QTest::newRow("external application")
            << "mnuExternalApp" << 2 << "MIDI: External App (MIDIOX, SendSX, SyxLoader, etc)";
    }
    void fileAndExternalModes() {
        QFETCH(QString, item);
        QFETCH(int, mode);
        QFETCH(QString, text);
        trigger(item.toLatin1().constData());
        QCOMPARE(int(m_f->main.connectionMode()), mode);
        QCOMPARE(checked(), QStringList{item});
        QCOMPARE(status(), text);
        trigger(item.toLatin1().constData()); // again: still checked
        QCOMPARE(checked(), QStringList{item});
        QVERIFY(m_f->midi.log.empty());
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    void directMidiShowsTheInterfaceAndItsIdentity_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("text");
        QTest::newRow("keypad identity")
            << true << false << "MIDI: Tarnwick Keypad [TWK-5 v2.79     ]";
        QTest::newRow("standard identity reply") << true << true << "MIDI: Tarnwick Keypad [ ]";
        QTest::newRow("no identity reply") << false << false << "MIDI: Tarnwick Keypad [ ]";
    }
    void directMidiShowsTheInterfaceAndItsIdentity() {
        QFETCH(bool, answer);
        QFETCH(bool, standard);
        QFETCH(QString, text);
        m_f->midi.keypad = KeypadProtocol(
            {.identity = "TWK-5 v2.79", .answerIdentity = answer, .standardIdentity = standard});
        QStringList listed;
        bool okEnabled = false;
        answerChooser(true, &listed, &okEnabled);
        trigger("mnuDirectMIDI");
        QCOMPARE(listed, (QStringList{"Tarnwick Keypad", "current 0"}));
        QVERIFY(okEnabled);
        QCOMPARE(m_f->main.connectionMode(), ConnectionMode::DirectMidi);
        QCOMPARE(checked(), QStringList{"mnuDirectMIDI"});
        QCOMPARE(status(), text);
        QCOMPARE(m_f->ports.selectedInterface(), 0);
        QVERIFY(m_f->midi.sent.at(0) == (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
        QCOMPARE(m_f->midi.log.back(), std::string("close input"));
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    void noInterfacesOffersOnlyCancel() {
        m_f->midi.inputs.clear();
        trigger("mnuExternalApp");
        QStringList listed;
        bool okEnabled = true;
        answerChooser(false, &listed, &okEnabled);
        trigger("mnuDirectMIDI");
        QCOMPARE(listed, (QStringList{"No MIDI interfaces found", "current -1"}));
        QVERIFY(!okEnabled);
        QCOMPARE(m_chooser->interfaceList()->placeholderText(),
                 QStringLiteral("No MIDI interfaces found"));
        QCOMPARE(checked(), QStringList{"mnuExternalApp"});
        QCOMPARE(status(), QStringLiteral("MIDI: External App (MIDIOX, SendSX, SyxLoader, etc)"));
        QVERIFY(m_f->interaction.messages.isEmpty());
    }

    void portsThatWillNotOpenDeselect() {
        trigger("mnuFileMode");
        m_f->midi.refuseInput = true;
        answerChooser(true);
        trigger("mnuDirectMIDI");
        QCOMPARE(m_f->interaction.messages.size(), 1);
        QCOMPARE(m_f->interaction.messages[0].title, QStringLiteral("MIDI Error!"));
        QCOMPARE(m_f->interaction.messages[0].text,
                 QStringLiteral("Interface did not respond. Deselecting."));
        QCOMPARE(m_f->interaction.messages[0].icon, QMessageBox::Warning);
        QCOMPARE(checked(), QStringList{"mnuFileMode"});
        QCOMPARE(m_f->main.connectionMode(), ConnectionMode::FileOnly);
        QCOMPARE(m_f->ports.selectedInterface(), -1);
    }

    void leavingDirectMidiKeepsTheInterface() {
        answerChooser(true);
        trigger("mnuDirectMIDI");
        trigger("mnuFileMode");
        QCOMPARE(checked(), QStringList{"mnuFileMode"});
        QCOMPARE(m_f->ports.selectedInterface(), 0);
    }

    void cancellingTheChooserDeselectsButKeepsTheMode() {
        answerChooser(true);
        trigger("mnuDirectMIDI");
        const QString before = status();
        answerChooser(false);
        trigger("mnuDirectMIDI");
        QCOMPARE(m_f->main.connectionMode(), ConnectionMode::DirectMidi);
        QCOMPARE(checked(), QStringList{"mnuDirectMIDI"});
        QCOMPARE(status(), before);
        QCOMPARE(m_f->ports.selectedInterface(), -1); // a download now finds no interface
    }

    void chooserLooksAsDescribed() {
        QCOMPARE(m_chooser->windowTitle(), QStringLiteral("Choose MIDI Interface"));
        QCOMPARE(m_chooser->size(), QSize(257, 140));
        QCOMPARE(m_chooser->findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Select a MIDI interface or TWK-5 from the list:"));
        QVERIFY(!m_chooser->findChild<QPushButton*>("btnOK")->isEnabled());
        QVERIFY(!m_chooser->interfaceList()->isEditable());
        QCOMPARE(m_chooser->interfaceList()->accessibleName(), QStringLiteral("MIDI interfaces"));
    }
};

QTEST_MAIN(ConnectionModesTest)
#include "test_connection_modes.moc"
