// Builds the main window with every page, group and control at the values it starts with,
// before the settings are read. The option controls come from the option table; everything
// else is placed here.
#include "audio/mediaplayer.h"
#include "platform/programinfo.h"
#include "ui/optioncontrols.h"
#include "ui/svxform.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

namespace {

const char* const TabOrderProperty = "TabOrder";
const char* const HelpContextProperty = "HelpContext";

// Client area of the window, fixed.
constexpr int FormWidth = 614;
constexpr int FormHeight = 259;

enum class TContainerKind {
    Group, // a captioned group that holds its controls
    Frame, // a captioned box drawn behind controls that belong to the page, not to it
    Panel  // a plain sunken panel
};

struct TContainerLayout {
    const char* Name;
    const char* Parent;
    TContainerKind Kind;
    const char* Caption;
    TBounds Bounds;
    int TabOrder;
    int HelpContext;
};

// The containers of the pages. A frame is created before the controls in front of it, so
// that it stays behind them.
const TContainerLayout Containers[] = {
    {"GroupGeneral", "TabSetup", TContainerKind::Group, "Snapvault", {8, 24, 232, 98}, 0, 100},
    {"GroupGrabbing", "TabSetup", TContainerKind::Group, "Grabbing", {8, 128, 232, 76}, 1, 101},
    {"GroupSound", "TabSetup", TContainerKind::Group, "", {240, 30, 358, 184}, 4, 102},
    {"PanelSound", "GroupSound", TContainerKind::Panel, "", {40, 102, 272, 74}, 3, 0},
    {"FrameFileFormat",
     "TabOutput",
     TContainerKind::Frame,
     "File format",
     {16, 22, 249, 48},
     0,
     103},
    {"GroupFileName",
     "TabOutput",
     TContainerKind::Group,
     "File name and directory",
     {16, 74, 249, 150},
     4,
     104},
    {"GroupOutputImage",
     "TabOutput",
     TContainerKind::Group,
     "Output image settings",
     {280, 4, 318, 132},
     5,
     105},
    {"GroupThreadPriority",
     "TabOutput",
     TContainerKind::Group,
     "Thread priority",
     {280, 142, 318, 64},
     6,
     106},
    {"FrameColorDepth",
     "TabJPGOpts",
     TContainerKind::Frame,
     "Color depth",
     {16, 60, 160, 70},
     0,
     0},
    {"GroupOtherOptions",
     "TabJPGOpts",
     TContainerKind::Group,
     "Other options",
     {16, 138, 160, 68},
     3,
     0},
    {"GroupLastImage", "TabInfo", TContainerKind::Group, "Last image", {8, 4, 227, 190}, 0, 0},
    {"GroupLastImageData",
     "TabInfo",
     TContainerKind::Group,
     "Last image data",
     {244, 4, 354, 104},
     1,
     0},
    {"GroupStatistics", "TabInfo", TContainerKind::Group, "Statistics", {244, 116, 354, 78}, 2, 0},
};

// The controls have fixed sizes, drawn for a small dialog font. Desktop fonts are often wider:
// the window takes the desktop's font, made smaller until every caption fits its control.
void FitFontToCaptions(QWidget* form) {
    constexpr int SmallestPixelSize = 9;
    const QStyle* style = form->style();
    const int checkExtra = style->pixelMetric(QStyle::PM_IndicatorWidth) +
                           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    const int radioExtra = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                           style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    QFont font = form->font();
    for (int pixelSize = QFontInfo(font).pixelSize(); pixelSize >= SmallestPixelSize; --pixelSize) {
        font.setPixelSize(pixelSize);
        const QFontMetrics metrics(font);
        const bool fits = std::ranges::all_of(OptionControls(), [&](const TOptionControl& option) {
            const bool isCheck = option.Kind == TOptionKind::CheckBox;
            if (!isCheck && option.Kind != TOptionKind::RadioButton)
                return true;
            const QString text = QString(option.Caption).remove(QLatin1Char('&'));
            return metrics.horizontalAdvance(text) + (isCheck ? checkExtra : radioExtra) + 2 <=
                   option.Bounds.Width;
        });
        if (fits)
            break;
    }
    form->setFont(font);
}

QRect ToRect(const TBounds& bounds) {
    return {bounds.Left, bounds.Top, bounds.Width, bounds.Height};
}

void SetHelpContext(QWidget* widget, int context) {
    if (context != 0)
        widget->setProperty(HelpContextProperty, context);
}

void Place(QWidget* widget, const QString& name, const QRect& bounds, int tabOrder) {
    widget->setObjectName(name);
    widget->setGeometry(bounds);
    widget->setProperty(TabOrderProperty, tabOrder);
}

// Radio buttons exclude each other within their parent only. Qt's automatic exclusivity
// would also reach the buttons of groups nested in that parent, so each parent gets an
// explicit group of its own buttons.
void GroupRadioButtonsByParent(QWidget* form) {
    QHash<QWidget*, QButtonGroup*> groups;
    for (QRadioButton* button : form->findChildren<QRadioButton*>()) {
        QWidget* parent = button->parentWidget();
        QButtonGroup*& group = groups[parent];
        if (!group)
            group = new QButtonGroup(parent);
        group->addButton(button);
    }
}

// A radio button is a tab stop exactly when it is checked; arrow keys still move through the
// whole group.
void FollowCheckedForTabStop(QRadioButton* button) {
    const auto apply = [button](bool checked) {
        button->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
    };
    apply(button->isChecked());
    QObject::connect(button, &QRadioButton::toggled, button, apply);
}

QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* AddHeading(QWidget* parent, const QString& text, int left, int top) {
    QLabel* label = AddLabel(parent, text, left, top);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->adjustSize();
    return label;
}

QWidget* CreateOptionWidget(const TOptionControl& option, QWidget* parent) {
    switch (option.Kind) {
    case TOptionKind::CheckBox: {
        auto* box = new QCheckBox(option.Caption, parent);
        box->setChecked(option.Checked);
        return box;
    }
    case TOptionKind::RadioButton: {
        auto* button = new QRadioButton(option.Caption, parent);
        button->setChecked(option.Checked);
        FollowCheckedForTabStop(button);
        return button;
    }
    case TOptionKind::Edit:
    case TOptionKind::MaskEdit: {
        auto* edit = new QLineEdit(parent);
        if (!option.InputMask.isEmpty())
            edit->setInputMask(option.InputMask);
        else if (option.MaxLength > 0)
            edit->setMaxLength(option.MaxLength);
        edit->setText(option.Text);
        return edit;
    }
    case TOptionKind::UpDown: {
        auto* upDown = new TUpDown(parent);
        upDown->SetRange(option.Min, option.Max);
        upDown->SetPosition(option.Position);
        return upDown;
    }
    case TOptionKind::TrackBar: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setRange(option.Min, option.Max);
        slider->setTickInterval(option.Frequency);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setPageStep(2);
        slider->setValue(option.Position);
        return slider;
    }
    case TOptionKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->addItems(option.Items);
        combo->setCurrentIndex(option.ItemIndex);
        return combo;
    }
    }
    return nullptr;
}

// The children of `parent` that take part in the tab order, in that order.
QList<QWidget*> TabOrderedChildren(QWidget* parent) {
    QList<QWidget*> children;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property(TabOrderProperty).isValid())
            children.append(child);
    }
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
        return a->property(TabOrderProperty).toInt() < b->property(TabOrderProperty).toInt();
    });
    return children;
}

// Visits each container's controls in their tab order, entering a container at its own
// place in its parent's order.
void CollectTabChain(QWidget* parent, QList<QWidget*>& chain) {
    for (QWidget* child : TabOrderedChildren(parent)) {
        if (!TabOrderedChildren(child).isEmpty())
            CollectTabChain(child, chain);
        else
            chain.append(child);
    }
}

const char* const ActionNames[] = {
    "AChooseOutDir", "AToggleActivate", "AToggleSystray", "ACBChange",     "AUpdateFNEx",
    "ARestoreJPEG",  "AMinimize",       "AOnRestore",     "ARestore",      "AAutoStart",
    "AQuit",         "AAudioClick",     "AARClick",       "AChBeep",       "ATestBeep",
    "AChBeepMode",   "AThreadDone",     "APrepareInit",   "AFinalizeInit", "ASVXIPC",
};

template <typename T> void Bind(T*& member, const QWidget* form, const char* name) {
    member = form->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT_X(member, "CreateControls", name);
}

} // namespace

void TSVXForm::CreateControls() {
    // The pictures live in the core library, which is linked statically.
    Q_INIT_RESOURCE(snapvault);
    setObjectName(QStringLiteral("SVXForm"));
    setWindowTitle(QStringLiteral("Snapvault"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(FormWidth, FormHeight);
    FitFontToCaptions(this);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());

    // ---- pages ----
    SVXPageCtrl = new QTabWidget(this);
    SVXPageCtrl->setObjectName(QStringLiteral("SVXPageCtrl"));
    SVXPageCtrl->setGeometry(0, 0, FormWidth, FormHeight);
    SetHelpContext(SVXPageCtrl, 1);
    const auto addPage = [this](QWidget*& page, const char* name, const QString& caption,
                                int context) {
        page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        SetHelpContext(page, context);
        SVXPageCtrl->addTab(page, caption);
    };
    addPage(TabSetup, "TabSetup", QStringLiteral("&General"), 2);
    addPage(TabOutput, "TabOutput", QStringLiteral("&Output"), 3);
    addPage(TabJPGOpts, "TabJPGOpts", QStringLiteral("JP&EG options"), 4);
    addPage(TabInfo, "TabInfo", QStringLiteral("&Info"), 5);
    addPage(TabAbout, "TabAbout", QStringLiteral("abou&t"), 1);
    SVXPageCtrl->setCurrentIndex(0);

    QHash<QString, QWidget*> parents{{TabSetup->objectName(), TabSetup},
                                     {TabOutput->objectName(), TabOutput},
                                     {TabJPGOpts->objectName(), TabJPGOpts},
                                     {TabInfo->objectName(), TabInfo},
                                     {TabAbout->objectName(), TabAbout}};

    // ---- containers ----
    for (const TContainerLayout& layout : Containers) {
        QWidget* parent = parents.value(QString::fromLatin1(layout.Parent));
        Q_ASSERT(parent);
        QWidget* container = nullptr;
        if (layout.Kind == TContainerKind::Panel) {
            auto* panel = new QFrame(parent);
            panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            container = panel;
        } else {
            container = new QGroupBox(QString::fromLatin1(layout.Caption), parent);
        }
        Place(container, QString::fromLatin1(layout.Name), ToRect(layout.Bounds), layout.TabOrder);
        SetHelpContext(container, layout.HelpContext);
        parents.insert(container->objectName(), container);
    }

    // ---- option controls ----
    for (const TOptionControl& option : OptionControls()) {
        QWidget* parent = parents.value(option.Parent);
        Q_ASSERT(parent);
        QWidget* widget = CreateOptionWidget(option, parent);
        Place(widget, option.Name, ToRect(option.Bounds), option.TabOrder);
        SetHelpContext(widget, option.HelpContext);
        widget->setEnabled(option.Enabled);
        if (option.ShowsOwnHint)
            widget->setToolTip(option.Hint);
        // Controls drawn over a frame, or over the sound group, stay in front of it.
        widget->raise();
    }
    Bind(OptActivate, this, "OptActivate");
    Bind(OptMinToSysT, this, "OptMinToSysT");
    Bind(OptStartMinimized, this, "OptStartMinimized");
    Bind(OptAutoStart, this, "OptAutoStart");
    Bind(OptMinImageSize, this, "OptMinImageSize");
    Bind(OptBeep1, this, "OptBeep1");
    Bind(OptBeep2, this, "OptBeep2");
    Bind(BeepStd, this, "BeepStd");
    Bind(BeepPCSpk, this, "BeepPCSpk");
    Bind(BeepWav, this, "BeepWav");
    Bind(Beep1FileName, this, "Beep1FileName");
    Bind(Beep2FileName, this, "Beep2FileName");
    Bind(BitmapOut, this, "BitmapOut");
    Bind(JpgOut, this, "JpgOut");
    Bind(PngOut, this, "PngOut");
    Bind(NameEdit, this, "NameEdit");
    Bind(DigitsUD, this, "DigitsUD");
    Bind(OptDigit, this, "OptDigit");
    Bind(OptDigitFrom, this, "OptDigitFrom");
    Bind(OptDigitAuto, this, "OptDigitAuto");
    Bind(OutputDirEdit, this, "OutputDirEdit");
    Bind(OptResizeUp, this, "OptResizeUp");
    Bind(OptResizeDown, this, "OptResizeDown");
    Bind(OptResizeTo, this, "OptResizeTo");
    Bind(OptAR, this, "OptAR");
    Bind(OptARExp, this, "OptARExp");
    Bind(OptARShr, this, "OptARShr");
    Bind(ThreadPriority, this, "ThreadPriority");
    Bind(JPEG8bit, this, "JPEG8bit");
    Bind(JPEG24bit, this, "JPEG24bit");
    Bind(JPEGGray, this, "JPEGGray");
    Bind(JPEGProgressive, this, "JPEGProgressive");
    Bind(JPEGQuality, this, "JPEGQuality");
    GroupRadioButtonsByParent(this);
    // The home folder stands for the drive root of a fresh installation.
    OutputDirEdit->setText(DefaultOutputFolder());

    const auto button = [](QWidget* parent, const char* name, const QString& caption,
                           const QString& hint, const QRect& bounds, int tabOrder) {
        auto* pushButton = new QPushButton(caption, parent);
        Place(pushButton, QString::fromLatin1(name), bounds, tabOrder);
        pushButton->setToolTip(hint);
        return pushButton;
    };

    // ---- General page ----
    AddHeading(TabSetup, QStringLiteral("General Options"), 16, 6);
    AddHeading(TabSetup, QStringLiteral("Audio feedback"), 248, 6);
    QWidget* grabbing = parents.value(QStringLiteral("GroupGrabbing"));
    AddLabel(grabbing, QStringLiteral("Save only if image is"), 16, 24);
    AddLabel(grabbing, QStringLiteral("or larger"), 128, 47);

    QWidget* soundPanel = parents.value(QStringLiteral("PanelSound"));
    AddLabel(soundPanel, QStringLiteral("start:"), 8, 15);
    AddLabel(soundPanel, QStringLiteral("finished:"), 8, 47);
    const QString chooseWav = QStringLiteral("...");
    ChBeep1 = button(soundPanel, "ChBeep1", chooseWav, QStringLiteral("Choose .wav-file"),
                     {212, 12, 23, 21}, 1);
    ChBeep2 = button(soundPanel, "ChBeep2", chooseWav, QStringLiteral("choose .wav-file"),
                     {212, 44, 23, 21}, 4);
    const QIcon playIcon(QStringLiteral(":/play.png"));
    const auto playButton = [&](const char* name, int top, int tabOrder) {
        auto* tool = new QToolButton(soundPanel);
        Place(tool, QString::fromLatin1(name), {238, top, 23, 21}, tabOrder);
        tool->setIcon(playIcon);
        tool->setToolTip(QStringLiteral("test .wav-file"));
        return tool;
    };
    Play1 = playButton("Play1", 12, 2);
    Play2 = playButton("Play2", 44, 5);

    // ---- Output page ----
    QWidget* fileName = parents.value(QStringLiteral("GroupFileName"));
    AddLabel(fileName, QStringLiteral("Filename"), 8, 19);
    AddLabel(fileName, QStringLiteral("+"), 150, 19);
    AddLabel(fileName, QStringLiteral("digits,"), 213, 19);
    AddLabel(fileName, QStringLiteral("Directory"), 8, 99);
    DigitsEdit = new QLineEdit(fileName);
    Place(DigitsEdit, QStringLiteral("DigitsEdit"), {161, 16, 32, 21}, 1);
    DigitsEdit->setReadOnly(true);
    DigitsEdit->setToolTip(QStringLiteral("Add this number of digits to the base name"));
    DigitsUD->SetAssociate(DigitsEdit);
    ChoutDir = button(fileName, "ChoutDir", QStringLiteral("..."),
                      QStringLiteral("Browse for directory"), {204, 96, 23, 21}, 3);
    QLabel* example = AddLabel(fileName, QStringLiteral("e.g.:"), 8, 126);
    QFont italic = example->font();
    italic.setItalic(true);
    example->setFont(italic);
    example->adjustSize();
    FileNameEx = new QLabel(QStringLiteral("SV0000.bmp"), fileName);
    FileNameEx->setObjectName(QStringLiteral("FileNameEx"));
    QFont fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixedPitch.setStyleHint(QFont::TypeWriter);
    fixedPitch.setFixedPitch(true);
    fixedPitch.setPixelSize(QFontInfo(font()).pixelSize());
    FileNameEx->setFont(fixedPitch);
    FileNameEx->setGeometry(72, 124, 170, 18);
    FileNameEx->setToolTip(
        QStringLiteral("This is an example of a filename resulting from these settings"));

    QWidget* priority = parents.value(QStringLiteral("GroupThreadPriority"));
    AddLabel(priority, QStringLiteral("low"), 16, 20);
    AddLabel(priority, QStringLiteral("high"), 214, 20);

    // ---- JPEG page ----
    AddLabel(TabJPGOpts, QStringLiteral("These settings apply to images saved as .jpg files."), 16,
             16);
    AddLabel(TabJPGOpts, QStringLiteral("JPEG compression factor"), 312, 60);
    AddLabel(TabJPGOpts, QStringLiteral("high (low image quality)"), 312, 116);
    QLabel* lowCompression = AddLabel(TabJPGOpts, QStringLiteral("low (high image quality)"), 0, 0);
    lowCompression->move(312 + 241 - lowCompression->width(), 116);
    RestoreDefaults = button(TabJPGOpts, "RestoreDefaults", QStringLiteral("&Restore defaults"),
                             QStringLiteral("Restore everything on this page to factory settings"),
                             {440, 176, 113, 25}, 5);

    // ---- Info page ----
    QWidget* lastImage = parents.value(QStringLiteral("GroupLastImage"));
    Thumbnail = new QLabel(lastImage);
    Thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    Thumbnail->setGeometry(9, 20, 209, 161);
    // The picture sits at the top-left corner, at its own size.
    Thumbnail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Thumbnail->setToolTip(QStringLiteral("Thumbnail of last image saved to disk"));

    const auto valueLabel = [](QWidget* parent, const char* name, const QString& text, int left,
                               int top, int width) {
        auto* label = new QLabel(text, parent);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(left, top, width, label->sizeHint().height());
        return label;
    };
    QWidget* lastData = parents.value(QStringLiteral("GroupLastImageData"));
    const QString notAvailable = QStringLiteral("n/a");
    AddLabel(lastData, QStringLiteral("Size"), 12, 24);
    AddLabel(lastData, QStringLiteral("x:"), 76, 24);
    StatX = valueLabel(lastData, "StatX", notAvailable, 92, 24, 60);
    AddLabel(lastData, QStringLiteral("y:"), 160, 24);
    StatY = valueLabel(lastData, "StatY", notAvailable, 176, 24, 60);
    AddLabel(lastData, QStringLiteral("Saved as:"), 12, 48);
    StatForm = valueLabel(lastData, "StatForm", notAvailable, 92, 48, 250);
    AddLabel(lastData, QStringLiteral("Filename:"), 12, 72);
    StatFilename = valueLabel(lastData, "StatFilename", notAvailable, 92, 72, 254);

    QWidget* statistics = parents.value(QStringLiteral("GroupStatistics"));
    AddLabel(statistics, QStringLiteral("Images saved in this session:"), 12, 24);
    StatCount = valueLabel(statistics, "StatCount", QStringLiteral("0"), 210, 24, 136);
    AddLabel(statistics, QStringLiteral("Bytes written to disk:"), 12, 48);
    StatBytes = valueLabel(statistics, "StatBytes", QStringLiteral("0"), 210, 48, 136);

    // ---- about page ----
    Image1 = new QLabel(TabAbout);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 16, 96, 96);
    Image1->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
    Image1->setToolTip(QStringLiteral("SVX"));

    QLabel* title = AddLabel(TabAbout, QStringLiteral("Snapvault"), 136, 14);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setPixelSize(QFontInfo(titleFont).pixelSize() * 2);
    title->setFont(titleFont);
    title->adjustSize();
    AddLabel(TabAbout, QStringLiteral("Version"), 136, 56);
    LabVersion = valueLabel(TabAbout, "LabVersion", QStringLiteral("n/i"), 196, 56, 120);
    AddLabel(TabAbout, QStringLiteral("Copyright \u00a9 Fennmoor Software. Free for personal use."),
             136, 80);
    AddLabel(TabAbout,
             QStringLiteral("This program comes with no warranty; keep copies of what matters."),
             136, 98);
    Label16 = new QLabel(QStringLiteral("www.fennmoor.example/snapvault"), TabAbout);
    Label16->setObjectName(QStringLiteral("Label16"));
    Label16->move(136, 126);
    Label16->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    Label16->setCursor(Qt::PointingHandCursor);
    Label16->adjustSize();
    AddLabel(TabAbout, QStringLiteral("Press F1 at any time to get some help"), 136, 160);
    Image2 = new QLabel(TabAbout);
    Image2->setObjectName(QStringLiteral("Image2"));
    const QPixmap badge(QStringLiteral(":/mnglogo.png"));
    Image2->setPixmap(badge);
    Image2->setGeometry(590 - badge.width(), 196 - badge.height(), badge.width(), badge.height());
    Image2->setCursor(Qt::PointingHandCursor);

    // ---- tab order, parent by parent ----
    QList<QWidget*> chain;
    for (QWidget* page : {TabSetup, TabOutput, TabJPGOpts, TabInfo, TabAbout})
        CollectTabChain(page, chain);
    QWidget::setTabOrder(SVXPageCtrl, chain.first());
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);

    // ---- non-visual parts ----
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setDefaultSuffix(QStringLiteral("wav"));
    OpenDialog->setNameFilters(
        {QStringLiteral("Wav files (*.wav)"), QStringLiteral("all files (*)")});
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's dialog has no read-only check box to hide, and it never changes the working folder.
    // Its folder is set each time it is shown.
    // The wave player: closed, and its sound stopped, when the window goes.
    MediaPlayer = new TMediaPlayer(this);
    MediaPlayer->setObjectName(QStringLiteral("MediaPlayer"));

    for (const char* name : ActionNames) {
        auto* action = new QAction(QString::fromLatin1(name), this);
        action->setObjectName(QString::fromLatin1(name));
        addAction(action);
        ActionList1.append(action);
    }
    APrepareInit = findChild<QAction*>(QStringLiteral("APrepareInit"));
    AFinalizeInit = findChild<QAction*>(QStringLiteral("AFinalizeInit"));
    AFinalizeInit->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    AFinalizeInit->setShortcutContext(Qt::WindowShortcut);
}
