// Builds the main window with every page, group and control at the values it starts with,
// before the settings are read. The option controls come from the option table; everything
// else is placed here.
#include "audio/mediaplayer.h"
#include "platform/session/programinfo.h"
#include "ui/optioncontrols.h"
#include "ui/svxform.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
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
    {"GroupBox3", "TabSetup", TContainerKind::Group, "", {240, 30, 358, 184}, 4, 102},
    {"PanelSound", "GroupBox3", TContainerKind::Panel, "", {40, 102, 272, 74}, 3, 0},
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

enum class TLabelStyle {
    Plain,
    Heading,     // bold
    Italic,      //
    Title,       // bold, italic and twice the size
    RightAligned // Left is where the text ends
};

// A label that only names what is next to it.
struct TStaticLabel {
    const char* Parent;
    const char* Text; // UTF-8
    int Left;
    int Top;
    TLabelStyle Style = TLabelStyle::Plain;
    const char* Buddy = nullptr; // the control it labels, in the same parent
};

const TStaticLabel StaticLabels[] = {
    // General page
    {"TabSetup", "General Options", 16, 6, TLabelStyle::Heading},
    {"TabSetup", "Audio feedback", 248, 6, TLabelStyle::Heading},
    {"GroupGrabbing", "Save only if image is", 16, 24, TLabelStyle::Plain, "OptMinImageSize"},
    {"GroupGrabbing", "or larger", 128, 47},
    {"PanelSound", "start:", 8, 15, TLabelStyle::Plain, "Beep1FileName"},
    {"PanelSound", "finished:", 8, 47, TLabelStyle::Plain, "Beep2FileName"},
    // Output page
    {"GroupFileName", "Filename", 8, 19, TLabelStyle::Plain, "NameEdit"},
    {"GroupFileName", "+", 150, 19},
    {"GroupFileName", "digits,", 213, 19, TLabelStyle::Plain, "DigitsEdit"},
    {"GroupFileName", "Directory", 8, 99, TLabelStyle::Plain, "OutputDirEdit"},
    {"GroupFileName", "e.g.:", 8, 126, TLabelStyle::Italic},
    {"GroupThreadPriority", "low", 16, 20},
    {"GroupThreadPriority", "high", 214, 20},
    // JPEG page: the two ends of the quality track bar below its caption
    {"TabJPGOpts", "JPEG compression factor", 312, 60, TLabelStyle::Plain, "JPEGQuality"},
    {"TabJPGOpts", "high (low image quality)", 312, 116},
    {"TabJPGOpts", "low (high image quality)", 312 + 241, 116, TLabelStyle::RightAligned},
    // Info page
    {"GroupLastImageData", "Size", 12, 24},
    {"GroupLastImageData", "x:", 76, 24},
    {"GroupLastImageData", "y:", 160, 24},
    {"GroupLastImageData", "Saved as:", 12, 48},
    {"GroupLastImageData", "Filename:", 12, 72},
    {"GroupStatistics", "Images saved in this session:", 12, 24},
    {"GroupStatistics", "Bytes written to disk:", 12, 48},
    // about page
    {"TabAbout", "Snapvault", 136, 14, TLabelStyle::Title},
    {"TabAbout", "Version", 136, 56},
    {"TabAbout", "Copyright \u00a9 Fennmoor Software. Free for personal use.", 136, 80},
    {"TabAbout", "This program comes with no warranty; keep copies of what matters.", 136, 98},
    {"TabAbout", "Press F1 at any time to get some help", 136, 160},
};

void AddStaticLabel(QWidget* parent, const TStaticLabel& entry) {
    QLabel* label = AddLabel(parent, QString::fromUtf8(entry.Text), entry.Left, entry.Top);
    QFont font = label->font();
    switch (entry.Style) {
    case TLabelStyle::Plain:
        return;
    case TLabelStyle::RightAligned:
        label->move(entry.Left - label->width(), entry.Top);
        return;
    case TLabelStyle::Heading:
        font.setBold(true);
        break;
    case TLabelStyle::Italic:
        font.setItalic(true);
        break;
    case TLabelStyle::Title:
        font.setBold(true);
        font.setItalic(true);
        font.setPixelSize(QFontInfo(font).pixelSize() * 2);
        break;
    }
    label->setFont(font);
    label->adjustSize();
}

using TParents = QHash<QString, QWidget*>;

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption,
                       const QString& hint, const QRect& bounds, int tabOrder) {
    auto* pushButton = new QPushButton(caption, parent);
    Place(pushButton, QString::fromLatin1(name), bounds, tabOrder);
    pushButton->setToolTip(hint);
    return pushButton;
}

QLabel* AddValueLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                      int width) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, label->sizeHint().height());
    return label;
}

QLabel* AddPicture(QWidget* parent, const char* name, const QString& resource) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setPixmap(QPixmap(resource));
    return picture;
}

// The pages, and the containers on them; returns every parent of a control by name.
TParents CreatePages(TSVXForm& form) {
    form.SVXPageCtrl = new QTabWidget(&form);
    form.SVXPageCtrl->setObjectName(QStringLiteral("SVXPageCtrl"));
    form.SVXPageCtrl->setGeometry(0, 0, FormWidth, FormHeight);
    SetHelpContext(form.SVXPageCtrl, 1);
    const auto addPage = [&form](QWidget*& page, const char* name, const QString& caption,
                                 int context) {
        page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        SetHelpContext(page, context);
        form.SVXPageCtrl->addTab(page, caption);
    };
    addPage(form.TabSetup, "TabSetup", QStringLiteral("&General"), 2);
    addPage(form.TabOutput, "TabOutput", QStringLiteral("&Output"), 3);
    addPage(form.TabJPGOpts, "TabJPGOpts", QStringLiteral("JP&EG options"), 4);
    addPage(form.TabInfo, "TabInfo", QStringLiteral("&Info"), 5);
    addPage(form.TabAbout, "TabAbout", QStringLiteral("abou&t"), 1);
    form.SVXPageCtrl->setCurrentIndex(0);

    TParents parents;
    for (QWidget* page :
         {form.TabSetup, form.TabOutput, form.TabJPGOpts, form.TabInfo, form.TabAbout})
        parents.insert(page->objectName(), page);
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
    return parents;
}

template <typename T> void Bind(T*& member, const QWidget* form, const char* name) {
    member = form->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT_X(member, "CreateControls", name);
}

void CreateOptionControls(TSVXForm& form, const TParents& parents) {
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
    Bind(form.OptActivate, &form, "OptActivate");
    Bind(form.OptMinToSysT, &form, "OptMinToSysT");
    Bind(form.OptStartMinimized, &form, "OptStartMinimized");
    Bind(form.OptAutoStart, &form, "OptAutoStart");
    Bind(form.OptMinImageSize, &form, "OptMinImageSize");
    Bind(form.OptBeep1, &form, "OptBeep1");
    Bind(form.OptBeep2, &form, "OptBeep2");
    Bind(form.BeepStd, &form, "BeepStd");
    Bind(form.BeepPCSpk, &form, "BeepPCSpk");
    Bind(form.BeepWav, &form, "BeepWav");
    Bind(form.Beep1FileName, &form, "Beep1FileName");
    Bind(form.Beep2FileName, &form, "Beep2FileName");
    Bind(form.BitmapOut, &form, "BitmapOut");
    Bind(form.JpgOut, &form, "JpgOut");
    Bind(form.PngOut, &form, "PngOut");
    Bind(form.NameEdit, &form, "NameEdit");
    Bind(form.DigitsUD, &form, "DigitsUD");
    Bind(form.OptDigit, &form, "OptDigit");
    Bind(form.OptDigitFrom, &form, "OptDigitFrom");
    Bind(form.OptDigitAuto, &form, "OptDigitAuto");
    Bind(form.OutputDirEdit, &form, "OutputDirEdit");
    Bind(form.OptResizeUp, &form, "OptResizeUp");
    Bind(form.OptResizeDown, &form, "OptResizeDown");
    Bind(form.OptResizeTo, &form, "OptResizeTo");
    Bind(form.OptAR, &form, "OptAR");
    Bind(form.OptARExp, &form, "OptARExp");
    Bind(form.OptARShr, &form, "OptARShr");
    Bind(form.ThreadPriority, &form, "ThreadPriority");
    Bind(form.JPEG8bit, &form, "JPEG8bit");
    Bind(form.JPEG24bit, &form, "JPEG24bit");
    Bind(form.JPEGGray, &form, "JPEGGray");
    Bind(form.JPEGProgressive, &form, "JPEGProgressive");
    Bind(form.JPEGQuality, &form, "JPEGQuality");
    GroupRadioButtonsByParent(&form);
    // The home folder stands for the drive root of a fresh installation.
    form.OutputDirEdit->setText(DefaultOutputFolder());
}

// The sound panel's buttons: choosing and trying out the wave files.
void CreateGeneralPage(TSVXForm& form, const TParents& parents) {
    QWidget* soundPanel = parents.value(QStringLiteral("PanelSound"));
    const QString chooseWav = QStringLiteral("...");
    form.ChBeep1 = AddButton(soundPanel, "ChBeep1", chooseWav, QStringLiteral("Choose .wav-file"),
                             {212, 12, 23, 21}, 1);
    form.ChBeep2 = AddButton(soundPanel, "ChBeep2", chooseWav, QStringLiteral("choose .wav-file"),
                             {212, 44, 23, 21}, 4);
    const QIcon playIcon(QStringLiteral(":/play.png"));
    const auto playButton = [&](const char* name, int top, int tabOrder) {
        auto* tool = new QToolButton(soundPanel);
        Place(tool, QString::fromLatin1(name), {238, top, 23, 21}, tabOrder);
        tool->setIcon(playIcon);
        tool->setToolTip(QStringLiteral("test .wav-file"));
        return tool;
    };
    form.Play1 = playButton("Play1", 12, 2);
    form.Play2 = playButton("Play2", 44, 5);
}

// The digit count's edit, the folder button and the example name.
void CreateOutputPage(TSVXForm& form, const TParents& parents) {
    QWidget* fileName = parents.value(QStringLiteral("GroupFileName"));
    form.DigitsEdit = new QLineEdit(fileName);
    Place(form.DigitsEdit, QStringLiteral("DigitsEdit"), {161, 16, 32, 21}, 1);
    form.DigitsEdit->setReadOnly(true);
    form.DigitsEdit->setToolTip(QStringLiteral("Add this number of digits to the base name"));
    form.DigitsUD->SetAssociate(form.DigitsEdit);
    form.ChoutDir = AddButton(fileName, "ChoutDir", QStringLiteral("..."),
                              QStringLiteral("Browse for directory"), {204, 96, 23, 21}, 3);
    form.FileNameEx = new QLabel(QStringLiteral("SV0000.bmp"), fileName);
    form.FileNameEx->setObjectName(QStringLiteral("FileNameEx"));
    QFont fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixedPitch.setStyleHint(QFont::TypeWriter);
    fixedPitch.setFixedPitch(true);
    fixedPitch.setPixelSize(QFontInfo(form.font()).pixelSize());
    form.FileNameEx->setFont(fixedPitch);
    form.FileNameEx->setGeometry(72, 124, 170, 18);
    form.FileNameEx->setToolTip(
        QStringLiteral("This is an example of a filename resulting from these settings"));
}

void CreateJpegPage(TSVXForm& form) {
    form.RestoreDefaults =
        AddButton(form.TabJPGOpts, "RestoreDefaults", QStringLiteral("&Restore defaults"),
                  QStringLiteral("Restore everything on this page to factory settings"),
                  {440, 176, 113, 25}, 5);
}

// The thumbnail, the data of the last picture and the session's statistics.
void CreateInfoPage(TSVXForm& form, const TParents& parents) {
    form.Thumbnail = new QLabel(parents.value(QStringLiteral("GroupLastImage")));
    form.Thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    form.Thumbnail->setGeometry(9, 20, 209, 161);
    // The picture sits at the top-left corner, at its own size.
    form.Thumbnail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form.Thumbnail->setToolTip(QStringLiteral("Thumbnail of last image saved to disk"));

    QWidget* lastData = parents.value(QStringLiteral("GroupLastImageData"));
    const QString notAvailable = QStringLiteral("n/a");
    form.StatX = AddValueLabel(lastData, "StatX", notAvailable, 92, 24, 60);
    form.StatY = AddValueLabel(lastData, "StatY", notAvailable, 176, 24, 60);
    form.StatForm = AddValueLabel(lastData, "StatForm", notAvailable, 92, 48, 250);
    form.StatFilename = AddValueLabel(lastData, "StatFilename", notAvailable, 92, 72, 254);

    QWidget* statistics = parents.value(QStringLiteral("GroupStatistics"));
    form.StatCount = AddValueLabel(statistics, "StatCount", QStringLiteral("0"), 210, 24, 136);
    form.StatBytes = AddValueLabel(statistics, "StatBytes", QStringLiteral("0"), 210, 48, 136);
}

// The pictures, the version and the links.
void CreateAboutPage(TSVXForm& form) {
    form.Image1 = AddPicture(form.TabAbout, "Image1", QStringLiteral(":/logo.png"));
    form.Image1->setGeometry(16, 16, 96, 96);
    form.Image1->setToolTip(QStringLiteral("SVX"));
    form.LabVersion =
        AddValueLabel(form.TabAbout, "LabVersion", QStringLiteral("n/i"), 196, 56, 120);
    form.Label16 = new QLabel(QStringLiteral("www.fennmoor.example/snapvault"), form.TabAbout);
    form.Label16->setObjectName(QStringLiteral("Label16"));
    form.Label16->move(136, 126);
    form.Label16->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    form.Label16->setCursor(Qt::PointingHandCursor);
    form.Label16->adjustSize();
    form.Image2 = AddPicture(form.TabAbout, "Image2", QStringLiteral(":/mnglogo.png"));
    const QSize badge = form.Image2->pixmap().size();
    form.Image2->setGeometry(590 - badge.width(), 196 - badge.height(), badge.width(),
                             badge.height());
    form.Image2->setCursor(Qt::PointingHandCursor);
    // The two links take the focus from the Tab key too, to be opened with Space or Enter.
    for (QLabel* link : {form.Label16, form.Image2}) {
        link->setFocusPolicy(Qt::StrongFocus);
        link->setProperty(TabOrderProperty, link == form.Label16 ? 0 : 1);
    }
}

// Each label that names a control is its buddy: assistive tools read the label as the
// control's name (not the title of the group around it), and an access key in its caption
// moves the focus there.
void SetBuddies(const TParents& parents) {
    for (const TStaticLabel& entry : StaticLabels) {
        if (!entry.Buddy)
            continue;
        QWidget* parent = parents.value(QString::fromLatin1(entry.Parent));
        auto* buddy = parent->findChild<QWidget*>(QString::fromLatin1(entry.Buddy),
                                                  Qt::FindDirectChildrenOnly);
        Q_ASSERT_X(buddy, "SetBuddies", entry.Buddy);
        for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (label->text() == QString::fromUtf8(entry.Text))
                label->setBuddy(buddy);
        }
    }
}

// Names for assistive tools where no label beside the control gives a fitting one: the buttons
// that show only "..." or a picture, named as their hints word it; the start number, labelled
// by the radio button in front of it; the digit count, whose label goes on with a comma; the
// priority track bar, labelled only by its group's title; and the about page's pictures. The
// hints stay the description.
struct TAccessibleName {
    const char* Control;
    const char* Name;
};

const TAccessibleName AccessibleNames[] = {
    {"ChBeep1", "Choose .wav-file"},
    {"ChBeep2", "Choose .wav-file"},
    {"Play1", "Test .wav-file"},
    {"Play2", "Test .wav-file"},
    {"DigitsEdit", "digits"},
    {"OptDigitFrom", "starting from"},
    {"ChoutDir", "Browse for directory"},
    {"ThreadPriority", "Thread priority"},
    {"Image1", "Snapvault logo"},
    {"Image2", "libmng web page"},
};

void NameControls(TSVXForm& form, const TParents& parents) {
    SetBuddies(parents);
    for (const TAccessibleName& entry : AccessibleNames) {
        auto* control = form.findChild<QWidget*>(QString::fromLatin1(entry.Control));
        Q_ASSERT_X(control, "NameControls", entry.Control);
        control->setAccessibleName(QString::fromUtf8(entry.Name));
    }
    form.DigitsUD->SetSubject(QStringLiteral("digits"));
}

// The tab order, parent by parent, from the page control into the first page.
void SetTabOrder(TSVXForm& form) {
    QList<QWidget*> chain;
    for (QWidget* page :
         {form.TabSetup, form.TabOutput, form.TabJPGOpts, form.TabInfo, form.TabAbout})
        CollectTabChain(page, chain);
    QWidget::setTabOrder(form.SVXPageCtrl, chain.first());
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

const char* const ActionNames[] = {
    "AChooseOutDir", "AToggleActivate", "AToggleSystray", "ACBChange",     "AUpdateFNEx",
    "ARestoreJPEG",  "AMinimize",       "AOnRestore",     "ARestore",      "AAutoStart",
    "AQuit",         "AAudioClick",     "AARClick",       "AChBeep",       "ATestBeep",
    "AChBeepMode",   "AThreadDone",     "APrepareInit",   "AFinalizeInit", "ASVXIPC",
};

// The wave player and the actions. The wave-file dialog is made only while the user chooses
// a file (formsound.cpp).
void CreateNonVisualParts(TSVXForm& form) {
    // The wave player: closed, and its sound stopped, when the window goes.
    form.MediaPlayer = new TMediaPlayer(&form);
    form.MediaPlayer->setObjectName(QStringLiteral("MediaPlayer"));

    for (const char* name : ActionNames) {
        auto* action = new QAction(QString::fromLatin1(name), &form);
        action->setObjectName(QString::fromLatin1(name));
        form.addAction(action);
        form.ActionList1.append(action);
    }
    form.APrepareInit = form.findChild<QAction*>(QStringLiteral("APrepareInit"));
    form.AFinalizeInit = form.findChild<QAction*>(QStringLiteral("AFinalizeInit"));
    form.AFinalizeInit->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    form.AFinalizeInit->setShortcutContext(Qt::WindowShortcut);
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

    const TParents parents = CreatePages(*this);
    CreateOptionControls(*this, parents);
    for (const TStaticLabel& label : StaticLabels)
        AddStaticLabel(parents.value(QString::fromLatin1(label.Parent)), label);
    CreateGeneralPage(*this, parents);
    CreateOutputPage(*this, parents);
    CreateJpegPage(*this);
    CreateInfoPage(*this, parents);
    CreateAboutPage(*this);
    NameControls(*this, parents);
    SetTabOrder(*this);
    CreateNonVisualParts(*this);
}
