// The main window's tool bar: its buttons, their menus and keys, each entry asking
// through the one guard of the window's commands.
#include "main_window/main_form.h"

#include "main_window/tool_bar_table.h"

#include <QToolBar>

namespace tarnwick {

namespace {
constexpr QSize kToolButtonSize(55, 36);
} // namespace

void TMainForm::buildToolBar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setStyleSheet(QStringLiteral(
        "QToolBar#ToolBar1 { border: none; border-bottom: 1px solid palette(mid); spacing: 0px; }"
        "QToolBar#ToolBar1 QToolButton { padding: 0px; padding-top: -4px; margin: 0px;"
        " border: 1px solid transparent;"
        " border-radius: 3px; }"
        "QToolBar#ToolBar1 QToolButton:hover { border-color: palette(mid); }"
        "QToolBar#ToolBar1 QToolButton:pressed { background: palette(midlight); }"
        // The connection is the first choice: its button is drawn highlighted.
        "QToolBar#ToolBar1 QToolButton#btnAutoSend { background: palette(highlight);"
        " color: palette(highlighted-text); }"
        "QToolBar#ToolBar1 QToolButton::menu-indicator { image: none; width: 0px; }"));
    addToolBar(Qt::TopToolBarArea, bar);

    using Mode = ConnectionMode;
    const auto ctrl = [](Qt::Key key) {
        return QKeySequence(Qt::CTRL | key);
    };
    const auto ctrlShift = [](Qt::Key key) {
        return QKeySequence(Qt::CTRL | Qt::SHIFT | key);
    };
    const auto alt = [](Qt::Key key) {
        return QKeySequence(Qt::ALT | key);
    };
    // Every entry asks through the one guard of the window's commands.
    const auto request = [this](void (TMainForm::*what)()) -> std::function<void()> {
        return [this, what] {
            runCommand([this, what] { (this->*what)(); });
        };
    };
    const auto mode = [this](Mode m) {
        return &m_modeItems[std::size_t(m)];
    };
    FillToolBar(
        *bar, *this, kToolButtonSize,
        {{.name = "btnAutoSend",
          .caption = "MIDI",
          .hint = "Select MIDI connection",
          .icon = "midi",
          .menu = "MidiMenu",
          // The title line: choosing it changes nothing, its check mark included.
          .items = {{"mnuPickConnection",
                     "Choose a MIDI file/interface option",
                     [this] { setConnectionMode(m_connectionMode); },
                     {},
                     mode(Mode::NotChosen)},
                    {},
                    {"mnuFileMode",
                     "None (save to file only)",
                     request(&TMainForm::mnuFileModeClick),
                     {},
                     mode(Mode::FileOnly)},
                    {"mnuDirectMIDI", "Direct MIDI (TWK-5, USB, etc) ...",
                     request(&TMainForm::mnuDirectMIDIClick), ctrl(Qt::Key_M),
                     mode(Mode::DirectMidi)},
                    {"mnuExternalApp",
                     "External File Application (MIDIOX, etc)",
                     request(&TMainForm::mnuExternalAppClick),
                     {},
                     mode(Mode::ExternalApplication)},
                    {},
                    {"mnuChooseLearnInput", "Choose Learn Input...",
                     request(&TMainForm::chooseLearnInputRequested), ctrlShift(Qt::Key_I)},
                    // The item's mark follows Learn, not the click: a Learn that could
                    // not start stays unmarked.
                    {.name = "mnuLearn",
                     .caption = "Learn",
                     .run =
                         [this] {
                             runCommand([this] { emit learnRequested(); });
                             m_learnItem->setChecked(m_learning);
                         },
                     .shortcut = ctrl(Qt::Key_I),
                     .toggle = &m_learnItem}},
          .separatorAfter = true,
          .key = alt(Qt::Key_M)},
         {.name = "bntNew",
          .caption = "New",
          .hint = "Clear all presets",
          .icon = "new",
          .clicked = request(&TMainForm::mnuNewClick),
          .key = ctrl(Qt::Key_N)},
         {.name = "btnOpenFile",
          .caption = "Open",
          .hint = "Open 1 or 100 presets",
          .icon = "open",
          .menu = "OpenMenu",
          .items = {{"OpenSinglePreset1", "Open One", request(&TMainForm::openOneRequested),
                     ctrl(Qt::Key_O)},
                    {"OpenAll1001", "Open All (100)", request(&TMainForm::openAllRequested),
                     ctrlShift(Qt::Key_O)},
                    {"mnuBankOrganizer", "Bank Organizer",
                     request(&TMainForm::bankOrganizerRequested), ctrl(Qt::Key_B)},
                    {"mnuLibrary", "Library", request(&TMainForm::libraryRequested),
                     ctrlShift(Qt::Key_L)},
                    {"mnuRig", "Rig...", request(&TMainForm::rigRequested), ctrl(Qt::Key_R)}},
          .key = alt(Qt::Key_O)},
         {.name = "btnSaveFile",
          .caption = "Save",
          .hint = "Save preset(s) as",
          .icon = "save",
          .menu = "SaveMenu",
          .items = {{"SaveOne1", "Save One", request(&TMainForm::saveOneRequested),
                     ctrl(Qt::Key_S)},
                    {"SaveAll1", "Save All (100)", request(&TMainForm::saveAllRequested),
                     ctrlShift(Qt::Key_S)}},
          .key = alt(Qt::Key_S)},
         {.name = "btnDownload",
          .caption = "Download",
          .icon = "download",
          .menu = "DownloadMenu",
          .items = {{"mnuDownloadCurrent", "Download Current",
                     request(&TMainForm::downloadCurrentRequested), ctrl(Qt::Key_D)},
                    {"mnuDownloadAll", "Download All (100)",
                     request(&TMainForm::downloadAllRequested), ctrlShift(Qt::Key_D)}},
          .description = "Send presets to the keypad",
          .separatorAfter = true,
          .key = alt(Qt::Key_D)},
         {.name = "btnUpgrade",
          .caption = "Upgrade",
          .hint = "Re-flash keypad firmware",
          .icon = "upgrade",
          .clicked = request(&TMainForm::upgradeRequested),
          .separatorAfter = true},
         {.name = "btnHelp",
          .caption = "Help",
          .hint = "PDF manual and links",
          .icon = "help",
          .menu = "HelpMenu",
          .items = {{"About1", "About", request(&TMainForm::aboutRequested)},
                    {"PDFManual1", "PDF User Manual", request(&TMainForm::manualRequested),
                     QKeySequence(Qt::Key_F1)}},
          .key = alt(Qt::Key_H)},
         {.name = "btnExit",
          .caption = "Exit",
          .icon = "exit",
          .clicked = request(&TMainForm::btnExitClick),
          .description = "Close the editor",
          .key = ctrl(Qt::Key_Q)}});
    setConnectionMode(ConnectionMode::NotChosen);
}

} // namespace tarnwick
