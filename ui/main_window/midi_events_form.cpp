// Layout and behaviour of the MIDI data editor window.
#include "main_window/midi_events_form.h"

#include "main_window/placed_widgets.h"

#include "support/error_box.h"
#include "support/user_interaction.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>

#include <algorithm>

namespace tarnwick {

namespace {

constexpr int kCellWidth = 20;

QSlider* slider(QWidget* parent, const char* name, int minimum, int maximum, int value,
                int pageStep, int tickInterval, QRect geometry) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(minimum, maximum);
    s->setValue(value);
    s->setPageStep(pageStep);
    if (tickInterval > 0) {
        s->setTickInterval(tickInterval);
        s->setTickPosition(QSlider::TicksBelow);
    }
    s->setGeometry(geometry);
    return s;
}

// The two "Insert" buttons; what each inserts is said to screen readers.
QPushButton* insertButton(QWidget* parent, const char* name, const QString& accessibleName,
                          QRect geometry) {
    auto* insert = new QPushButton(QStringLiteral("Insert     "), parent);
    insert->setObjectName(QLatin1String(name));
    insert->setAccessibleName(accessibleName);
    insert->setAutoDefault(false);
    insert->setGeometry(geometry);
    return insert;
}

QLineEdit* readOut(QWidget* parent, const char* name, QRect geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setGeometry(geometry);
    return e;
}

} // namespace

TMidiEventsForm::TMidiEventsForm(UserInteraction& interaction, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_interaction(interaction) {
    setObjectName(QStringLiteral("MidiEventsForm"));
    setWindowTitle(QStringLiteral("Edit MIDI Data"));
    setFixedSize(465, 563);
    setModal(true);
    QFont compact = font();
    compact.setPointSize(8);
    setFont(compact);
}

void TMidiEventsForm::setVisible(bool visible) {
    if (visible && !m_grid) {
        buildControls();
    }
    QDialog::setVisible(visible);
}

void TMidiEventsForm::buildControls() {
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbarMiniNoteOn"));
    status->setSizeGripEnabled(false);
    status->setGeometry(0, 563 - 20, 465, 20);
    QFont small = status->font();
    small.setPointSizeF(7);
    status->setFont(small);
    auto* fixed = new QLabel(QStringLiteral("MIDI Data (hexadecimal)"), status);
    fixed->setFixedWidth(135);
    fixed->setFrameShape(QFrame::Panel);
    fixed->setFrameShadow(QFrame::Sunken);
    m_preview = new QLabel(status);
    m_preview->setObjectName(QStringLiteral("EventPreview"));
    m_preview->setMinimumWidth(50);
    m_preview->setFrameShape(QFrame::Panel);
    m_preview->setFrameShadow(QFrame::Sunken);
    status->addWidget(fixed);
    status->addWidget(m_preview);

    buildStandardGroup();
    buildCustomGroup();
    buildDataGroup();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(190, 500, 85, 28);
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    RefreshGrid();
    RefreshEventPreview();
}

void TMidiEventsForm::buildStandardGroup() {
    QGroupBox* box = PlacedGroup(this, "GroupBox1", QStringLiteral(" Standard "), {8, 8, 449, 262});
    PlacedLabel(box, "Label4", QStringLiteral("MIDI Event Type"), {14, 20, 150, 16});
    PlacedLabel(box, "Label5", QStringLiteral("MIDI Event Values"), {180, 20, 150, 16});

    m_kinds = new QButtonGroup(this);
    int row = 0;
    for (const MidiEventKind& kind : MidiEventKinds()) {
        const QString caption = QString::fromLatin1(kind.caption);
        auto* button = new QRadioButton(caption, box);
        // rbNoteOn, rbNoteOff, ... rbStop: "rb" and the caption without its blanks.
        button->setObjectName(QStringLiteral("rb") + QString(caption).remove(u' '));
        button->setGeometry(14, 40 + 18 * row++, 150, 18);
        m_kinds->addButton(button, kind.status); // the button's tag: its base status byte
    }
    m_kinds->button(0x90)->setChecked(true);
    connect(m_kinds, &QButtonGroup::idClicked, this, [this](int status) { kindClick(status); });

    m_lblMidiChannel =
        PlacedLabel(box, "lblMidiChannel", QStringLiteral("MIDI Channel :"), {180, 44, 160, 16});
    m_tbMidiChannel = slider(box, "tbMidiChannel", 1, 16, 1, 4, 0, QRect(180, 62, 200, 26));
    m_edMidiChannel = readOut(box, "edMidiChannel", QRect(390, 62, 45, 22));
    m_edMidiChannel->setAccessibleName(QStringLiteral("MIDI Channel"));
    m_lblMidiChannel->setBuddy(m_tbMidiChannel);
    connect(m_tbMidiChannel, &QSlider::valueChanged, this, &TMidiEventsForm::RefreshEventPreview);

    const char* labels[] = {"lblParam1", "lblParam2"};
    const char* sliders[] = {"tbMidiParam1", "tbMidiParam2"};
    const char* boxes[] = {"edMidiParam1", "edMidiParam2"};
    const int starts[] = {60, 127};
    const int pages[] = {12, 16};
    for (std::size_t i = 0; i < 2; ++i) {
        const int y = 104 + int(i) * 58;
        m_lblParam[i] = PlacedLabel(box, labels[i], QString(), {180, y, 160, 16});
        m_tbParam[i] =
            slider(box, sliders[i], 0, 127, starts[i], pages[i], 4, QRect(180, y + 18, 200, 28));
        m_edParam[i] = readOut(box, boxes[i], QRect(390, y + 18, 45, 22));
        m_lblParam[i]->setBuddy(m_tbParam[i]);
        connect(m_tbParam[i], &QSlider::valueChanged, this, &TMidiEventsForm::RefreshEventPreview);
    }

    connect(
        insertButton(box, "btnInsert1", QStringLiteral("Insert event"), QRect(330, 226, 105, 26)),
        &QPushButton::clicked, this, &TMidiEventsForm::InsertStandardButtonClick);
    kindClick(0x90);
}

void TMidiEventsForm::buildCustomGroup() {
    QGroupBox* box = PlacedGroup(this, "GroupBox3", QStringLiteral(" Custom "), {8, 278, 449, 78});
    PlacedLabel(box, "lblEnterData", QStringLiteral("Enter data"), {14, 24, 70, 16});
    PlacedLabel(box, "lblManually", QStringLiteral("manually:"), {14, 42, 70, 16});
    m_edManualInput = new QLineEdit(box);
    m_edManualInput->setObjectName(QStringLiteral("edManualInput"));
    m_edManualInput->setAccessibleName(QStringLiteral("Manual byte entry"));
    m_edManualInput->setGeometry(90, 30, 50, 24);
    m_edManualInput->installEventFilter(this);
    connect(insertButton(box, "btnInsert2", QStringLiteral("Insert byte"), QRect(150, 29, 95, 26)),
            &QPushButton::clicked, this, &TMidiEventsForm::InsertCustomButtonClick);

    m_rbHexadecimal = new QRadioButton(QStringLiteral("Hex"), box);
    m_rbHexadecimal->setObjectName(QStringLiteral("rbHexadecimal"));
    m_rbHexadecimal->setGeometry(270, 22, 90, 18);
    m_rbHexadecimal->setChecked(true);
    auto* decimal = new QRadioButton(QStringLiteral("Decimal"), box);
    decimal->setObjectName(QStringLiteral("rbDecimal"));
    decimal->setGeometry(270, 44, 90, 18);
    // Hex or Decimal sets the entry's length; its text stays as it is.
    connect(m_rbHexadecimal, &QRadioButton::clicked, this, [this] { m_entryLength = 2; });
    connect(decimal, &QRadioButton::clicked, this, [this] { m_entryLength = 3; });
}

void TMidiEventsForm::buildDataGroup() {
    QGroupBox* box =
        PlacedGroup(this, "GroupBox2", QStringLiteral(" Arbitrary MIDI Data "), {8, 364, 449, 118});
    m_grid = new QTableWidget(1, MidiDataBuffer::kSize, box);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setAccessibleName(QStringLiteral("MIDI data bytes"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setMinimumSectionSize(kCellWidth);
    m_grid->horizontalHeader()->setDefaultSectionSize(kCellWidth);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Not in the tab order; once clicked, the arrow keys select cells as clicks do.
    m_grid->setFocusPolicy(Qt::ClickFocus);
    m_grid->installEventFilter(this);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setGeometry(14, 28, kCellWidth * MidiDataBuffer::kSize + 2, 24);
    QFont bold = m_grid->font();
    bold.setBold(true);
    m_grid->setFont(bold);
    // Bold green on black, drawn through the palette: a style sheet would cost more
    // at start-up than the rest of the window.
    QPalette strip = m_grid->palette();
    strip.setColor(QPalette::Base, Qt::black);
    strip.setColor(QPalette::Text, QColor(0, 255, 0));
    strip.setColor(QPalette::Highlight, QColor(0, 96, 0));
    strip.setColor(QPalette::HighlightedText, QColor(0, 255, 0));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        strip.setColor(group, QPalette::Highlight, QColor(0, 96, 0));
        strip.setColor(group, QPalette::HighlightedText, QColor(0, 255, 0));
    }
    m_grid->setPalette(strip);
    m_grid->setTextElideMode(Qt::ElideNone);
    m_grid->setWordWrap(false);
    for (int cell = 0; cell < MidiDataBuffer::kSize; ++cell) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        m_grid->setItem(0, cell, item);
    }
    connect(m_grid, &QTableWidget::cellPressed, this,
            [this](int, int cell) { GridSelectCell(cell); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int, int) { GridDblClick(); });

    auto* hint = PlacedLabel(box, "Label2",
                             QStringLiteral("Click cell to select, double-click cell to erase"),
                             {14, 60, 330, 16});
    QFont italic = hint->font();
    italic.setItalic(true);
    hint->setFont(italic);
    auto* erase = new QPushButton(QStringLiteral("Erase All"), box);
    erase->setObjectName(QStringLiteral("btnEraseAll"));
    erase->setAutoDefault(false);
    erase->setGeometry(350, 26, 85, 26);
    connect(erase, &QPushButton::clicked, this, &TMidiEventsForm::btnEraseAllClick);
}

void TMidiEventsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_kinds->button(0x90)->setChecked(true);
    kindClick(0x90);
    RefreshGrid();
    GridSelectCell(m_buffer.byteCount());
    m_edManualInput->setFocus(Qt::OtherFocusReason);
}

void TMidiEventsForm::closeEvent(QCloseEvent* event) {
    // The close box and Alt+F4 act as OK: the buffer is taken back in any case.
    if (isVisible()) {
        done(QDialog::Accepted);
    }
    event->accept();
}

void TMidiEventsForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // "OK" is the only way out
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TMidiEventsForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_edManualInput) {
        // Enter inserts the typed byte.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            InsertCustomButtonClick();
            return true;
        }
        return limitEntry(key);
    }
    if (watched == m_grid) {
        const int cell = m_buffer.insertPosition();
        switch (key->key()) {
        case Qt::Key_Left:
            GridSelectCell(std::max(cell - 1, 0));
            return true;
        case Qt::Key_Right:
            GridSelectCell(cell + 1);
            return true;
        case Qt::Key_Home:
            GridSelectCell(0);
            return true;
        case Qt::Key_End:
            GridSelectCell(m_buffer.byteCount());
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TMidiEventsForm::limitEntry(QKeyEvent* key) {
    // New typing stops at the length Hex or Decimal allow; a longer text typed before the
    // choice changed stays as it is.
    const qsizetype kept = m_edManualInput->text().size() - m_edManualInput->selectedText().size();
    const qsizetype room = std::max<qsizetype>(m_entryLength - kept, 0);
    if (key->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text();
        if (pasted.size() > room) {
            m_edManualInput->insert(pasted.left(room));
            return true;
        }
        return false;
    }
    const QString typed = key->text();
    const bool typesText = !typed.isEmpty() && typed[0].isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    return typesText && typed.size() > room;
}

void TMidiEventsForm::kindClick(int status) {
    m_eventKind = std::uint8_t(status);
    const MidiEventKind& kind = MidiEventKindOf(m_eventKind);
    const char* labels[] = {kind.firstLabel, kind.secondLabel};
    for (std::size_t i = 0; i < 2; ++i) {
        const bool shown = labels[i][0] != '\0';
        m_lblParam[i]->setText(QString::fromLatin1(labels[i]));
        // A read-out is announced as what it shows: its label without the colon.
        m_edParam[i]->setAccessibleName(
            QString::fromLatin1(labels[i]).remove(QLatin1Char(':')).trimmed());
        m_lblParam[i]->setVisible(shown);
        m_tbParam[i]->setVisible(shown);
        m_edParam[i]->setVisible(shown);
    }
    RefreshEventPreview();
}

std::vector<std::uint8_t> TMidiEventsForm::composedEvent() const {
    return ComposeEvent(MidiEventKindOf(m_eventKind), m_tbMidiChannel->value(),
                        m_tbParam[0]->value(), m_tbParam[1]->value());
}

QString TMidiEventsForm::previewText() const {
    return m_preview->text();
}

void TMidiEventsForm::RefreshEventPreview() {
    const MidiEventKind& kind = MidiEventKindOf(m_eventKind);
    for (QWidget* w :
         {static_cast<QWidget*>(m_lblMidiChannel), static_cast<QWidget*>(m_tbMidiChannel),
          static_cast<QWidget*>(m_edMidiChannel)}) {
        w->setEnabled(kind.hasChannel());
    }
    m_edMidiChannel->setText(QString::number(m_tbMidiChannel->value()));
    const int first = m_tbParam[0]->value();
    m_edParam[0]->setText(kind.showsNoteName() ? QString::fromStdString(NoteName(first))
                                               : QString::number(first));
    m_edParam[1]->setText(QString::number(m_tbParam[1]->value()));
    m_preview->setText(QString::fromStdString(EventPreview(composedEvent())));
}

void TMidiEventsForm::RefreshGrid() {
    for (int cell = 0; cell < MidiDataBuffer::kSize; ++cell) {
        m_grid->item(0, cell)->setText(QString::fromStdString(m_buffer.cellText(cell)));
    }
}

void TMidiEventsForm::showSelection() {
    // With all 16 cells used there is no free cell, and none is shown selected.
    const int position = m_buffer.insertPosition();
    m_grid->clearSelection();
    if (position < MidiDataBuffer::kSize) {
        m_grid->setCurrentCell(0, position, QItemSelectionModel::ClearAndSelect);
    }
}

void TMidiEventsForm::GridSelectCell(int cell) {
    m_buffer.selectCell(cell);
    showSelection();
}

void TMidiEventsForm::GridDblClick() {
    m_buffer.eraseAt(m_buffer.insertPosition());
    RefreshGrid();
    showSelection();
}

void TMidiEventsForm::btnEraseAllClick() {
    m_buffer.eraseAll();
    RefreshGrid();
    showSelection();
}

void TMidiEventsForm::InsertStandardButtonClick() {
    const std::vector<std::uint8_t> event = composedEvent();
    if (!m_buffer.hasRoomFor(int(event.size()))) {
        m_interaction.message(QStringLiteral("Error"), QStringLiteral("Not enough room!"),
                              QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    m_buffer.insert(event);
    RefreshGrid();
    showSelection();
}

void TMidiEventsForm::InsertCustomButtonClick() {
    const QString text = m_edManualInput->text();
    int value = 0;
    if (m_rbHexadecimal->isChecked()) {
        // The first two characters, whatever they are: one that is no ASCII hex digit
        // counts 0, as any other character does.
        const QList<uint> characters = text.toUcs4();
        std::string firstTwo;
        for (qsizetype i = 0; i < std::min<qsizetype>(characters.size(), 2); ++i) {
            firstTwo += characters[i] < 0x80 ? char(characters[i]) : '?';
        }
        value = ParseHexEntry(firstTwo);
    } else {
        const auto number = ParseDecimalEntry(text.toStdString());
        if (!number) {
            ShowStandardError(m_interaction,
                              QStringLiteral("'%1' is not a valid integer value").arg(text));
            return;
        }
        value = *number;
    }
    switch (m_buffer.insertTyped(value)) {
    case MidiDataBuffer::TypedResult::NoRoom:
        m_interaction.message(QStringLiteral("Error"), QStringLiteral("Not enough room!"),
                              QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    case MidiDataBuffer::TypedResult::TooLarge:
        m_interaction.message(QStringLiteral("Error"),
                              QStringLiteral("Value exceeds 254 (decimal)."), QMessageBox::Warning,
                              QMessageBox::Ok);
        break;
    case MidiDataBuffer::TypedResult::Negative:
        m_interaction.message(QStringLiteral("Error"),
                              QStringLiteral("Value must be 0 to 254 (decimal)."),
                              QMessageBox::Warning, QMessageBox::Ok);
        break;
    case MidiDataBuffer::TypedResult::Inserted:
        m_edManualInput->clear();
        break;
    }
    RefreshGrid();
    GridSelectCell(m_buffer.byteCount());
    m_edManualInput->setFocus(Qt::OtherFocusReason);
}

} // namespace tarnwick
