#include "templategroup.h"

#include "accessiblevalues.h"

#include "comments.h"
#include "controls.h"
#include "messages.h"
#include "placement.h"
#include "templatesettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

const QString GenerateCaption = QStringLiteral("Generate !");
const QString StopCaption = QStringLiteral("Stop !");

} // namespace

TTemplateGroup::TTemplateGroup(QWidget *Form, const TGuard &Guard, TUniverseSession &Session, QStringList Folders)
    : QObject(Form), FGuard(Guard), FSession(Session)
{
    FFolders.swap(Folders);
    BuildControls(Form);
    FGuard.Connect(SpeedButton1, &QToolButton::clicked, this, &TTemplateGroup::SpeedButton1Click);
    FGuard.Connect(SpeedButton2, &QToolButton::clicked, this, &TTemplateGroup::SpeedButton2Click);
    FGuard.Connect(ComboBox1, &QComboBox::activated, this, &TTemplateGroup::LoadTemplate);
    FGuard.Connect(BitBtn2, &QPushButton::clicked, this, &TTemplateGroup::BitBtn2Click);
    connect(BitBtn2, &QPushButton::pressed, this, [this] { FCaptionAtPress = BitBtn2->text(); });
    connect(Conf, &QToolButton::clicked, this, [this] { ShowSideWindow(FComments); });
    connect(FreeSp, &QCheckBox::toggled, this, [this] { UpdateControls(FWritable); });
}

void TTemplateGroup::UpdateControls(bool Writable)
{
    FWritable = Writable;
    if (!Chv->isEnabled())
        return; // the panel is open: all of them are off
    BitBtn2->setEnabled(Writable || Generating());
    FreeSpaceRng->setEnabled(FreeSp->isChecked());
}

std::vector<QWidget *> TTemplateGroup::TabOrder() const
{
    return {ComboBox1, SpeedButton1, SpeedButton2, Chv, FreeSp, FreeSpaceRng, MinD, SizeSel, MaxC, Conf, BitBtn2};
}

TTemplateGroup::~TTemplateGroup() = default;

void TTemplateGroup::BuildControls(QWidget *Form)
{
    GroupBox1 = Make<QGroupBox>(Form, "GroupBox1", 4, 0, 193, 177);
    GroupBox1->setTitle(QStringLiteral("Template selection"));
    Image1 = Make<QLabel>(GroupBox1, "Image1", 40, 24, 113, 113);
    Image1->setScaledContents(true);
    Image1->setWordWrap(true); // a template that cannot be used says why here
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setFrameShape(QFrame::Box);
    Image1->setFrameShadow(QFrame::Sunken);
    SpeedButton1 = Flat(GroupBox1, "SpeedButton1", 16, 24, 25, 113);
    SpeedButton1->setArrowType(Qt::LeftArrow);
    SpeedButton1->setToolTip(QStringLiteral("Previous template"));
    SpeedButton2 = Flat(GroupBox1, "SpeedButton2", 152, 24, 25, 113);
    SpeedButton2->setArrowType(Qt::RightArrow);
    SpeedButton2->setToolTip(QStringLiteral("Next template"));
    QLabel *fileLabel = Caption(GroupBox1, "Label1", QStringLiteral("File :"), 24, 148);
    ComboBox1 = Make<QComboBox>(GroupBox1, "ComboBox1", 60, 144, 113, 21);
    FitBefore(fileLabel, ComboBox1);

    QLabel *label3 = Caption(Form, "Label3", QStringLiteral("Sensitivity :"), 12, 196);
    Chv = Spin(Form, "Chv", 108, 192, 93, 1, 2000, 25);
    FreeSp = Make<QCheckBox>(Form, "FreeSp", 16, 220, 109, 17);
    FreeSp->setText(QStringLiteral("Free space mode :"));
    FreeSpaceRng = Spin(Form, "FreeSpaceRng", 128, 216, 73, 0, 255, 235);
    QLabel *label5 = Caption(Form, "Label5", QStringLiteral("Min. stars distance :"), 12, 244);
    MinD = Spin(Form, "MinD", 108, 240, 93, 3, 40, 3);
    QLabel *label8 = Caption(Form, "Label8", QStringLiteral("Universe size :"), 12, 268);
    SizeSel = Make<QComboBox>(Form, "SizeSel", 108, 264, 93, 21);
    FitBefore(label3, Chv);
    FitBefore(label5, MinD);
    FitBefore(label8, SizeSel);
    for (const QString &name : SizeNames)
        SizeSel->addItem(name);
    MaxC = Make<QCheckBox>(Form, "MaxC", 16, 290, 125, 17);
    MaxC->setText(QStringLiteral("Maximize search"));
    MaxC->setChecked(true);
    Conf = Flat(Form, "Conf", 144, 288, 59, 21);
    Conf->setText(QStringLiteral("Comments"));

    BitBtn2 = Make<QPushButton>(Form, "BitBtn2", 96, 320, 105, 37);
    BitBtn2->setText(GenerateCaption);
    BitBtn2->setIcon(Form->style()->standardIcon(QStyle::SP_MediaPlay));
    Progr = Make<QProgressBar>(Form, "Progr", 100, 348, 97, 5);
    Progr->setTextVisible(false);
    Progr->hide();

    // What a screen reader calls them, and the settings explained where
    // they are, in the help document's words.
    const std::pair<QWidget *, const char *> names[] = {
        {Image1, "Template preview"}, {SpeedButton1, "Previous template"}, {SpeedButton2, "Next template"},
        {ComboBox1, "Template file"},  {Chv, "Sensitivity"},             {FreeSp, "Free space mode"},
        {FreeSpaceRng, "Free space threshold"}, {MinD, "Min. stars distance"}, {SizeSel, "Universe size"},
        {MaxC, "Maximize search"},     {Conf, "Comments"},               {BitBtn2, "Generate !"},
        {Progr, "Generation progress"},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));
    const std::pair<QWidget *, const char *> hints[] = {
        {Chv, "Sensitivity, 1 to 2000: the higher the value, the more of the lighter shades of the template "
              "count as places for planets; very low values use only its brightest points."},
        {FreeSp, "Free space mode: no star is placed on a point of the template darker than the threshold "
                 "beside it."},
        {FreeSpaceRng, "Free space threshold, a darkness from 0 to 255: lower values are stricter and force the "
                       "stars into the brightest points of the template; up to 255 they follow it roughly."},
        {MinD, "The smallest distance, in light years, kept between two stars."},
        {SizeSel, "The size of the universe the next generation spreads the stars over. It need not be the size "
                  "of the open file shown above."},
        {MaxC, "Packs the stars more efficiently when they do not fit into the light areas of the template at "
               "the chosen distance: tries ten times as often."},
        {Image1, "The selected template: light areas attract planets, dark areas repel them."},
        {ComboBox1, "The templates: the program's own, then your own from ~/.local/share/zorvane/templates "
                    "(a .bmp picture, with a .zv settings file of the same name if you like)."},
        {BitBtn2, "Reshape the whole universe from the template and write it to the open .xy file "
                  "(Ctrl+Z undoes)."},
    };
    for (const auto &[control, hint] : hints)
        control->setToolTip(QString::fromLatin1(hint));
    // A caption before a control names it for a screen reader.
    for (const auto &[label, control] :
         {std::pair<QLabel *, QWidget *>{fileLabel, ComboBox1}, {label3, Chv}, {label5, MinD}, {label8, SizeSel}})
        label->setBuddy(control);
    for (QWidget *button : {SpeedButton1, SpeedButton2, Conf})
        button->setFocusPolicy(Qt::StrongFocus);
    for (QComboBox *list : {ComboBox1, SizeSel})
        ShowComboValue(list);
}

// ---- templates -------------------------------------------------------------

void TTemplateGroup::InitTemplates()
{
    SizeSel->setCurrentIndex(0);
    ComboBox1->clear();
    // The program's own templates first, then the player's; the player's
    // folder is only read, never created.
    FTemplates = ListTemplates(FFolders);
    for (const TTemplateEntry &entry : FTemplates)
        ComboBox1->addItem(entry.Name);
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    LoadTemplate();
    if (ComboBox1->count() == 0) {
        // Shown once the window is up, not in the middle of showing it.
        QTimer::singleShot(0, this, [this] { FGuard.Dialogs().Error(FGuard.Parent(), NotFoundText()); });
    }
}

QString TTemplateGroup::NotFoundText() const
{
    QStringList folders;
    for (const QString &folder : FFolders)
        folders << QDir::toNativeSeparators(folder);
    return FormatStr(TMsg::TemplatesNotFoundIn, {folders.join(QStringLiteral(", "))});
}

void TTemplateGroup::LoadTemplate()
{
    if (ComboBox1->currentIndex() < 0)
        return;
    // Judged when chosen: a template that cannot be used says so in the
    // preview, in words, and the settings stay as they were.
    QImage image;
    QString problem = LoadTemplateImageOrSayWhy(TemplatePath(), image);
    if (problem.isEmpty() && (image.width() < 1 || image.height() <= UnsampledRows))
        problem = FormatStr(TMsg::TemplateTooSmall, {image.width(), image.height()});
    else if (!problem.isEmpty())
        problem = FormatStr(TMsg::CannotLoadTemplate, {ComboBox1->currentText(), problem});
    if (!problem.isEmpty()) {
        Image1->setPixmap(QPixmap());
        Image1->setText(problem);
        emit TemplateChanged(QImage());
        return;
    }
    Image1->setText(QString());
    Image1->setPixmap(QPixmap::fromImage(image));
    ReadTemplateSettings();
    emit TemplateChanged(image);
}

void TTemplateGroup::ReadTemplateSettings()
{
    const TTemplateControls values = ControlValues(::ReadTemplateSettings(SettingsFileName(TemplatePath())));
    Chv->setValue(values.Chv);
    FreeSp->setChecked(values.FreeSp);
    if (values.FreeSpaceRng)
        FreeSpaceRng->setValue(*values.FreeSpaceRng);
    MinD->setValue(values.MinD);
    Conf->setToolTip(values.Comments);
    if (FComments)
        FComments->SetComment(values.Comments);
}

QString TTemplateGroup::TemplatePath() const
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || static_cast<size_t>(index) >= FTemplates.size())
        return {};
    return FTemplates[static_cast<size_t>(index)].Path;
}

void TTemplateGroup::SetSizeIndex(int SizeIndex) { SizeSel->setCurrentIndex(SizeIndex); }

void TTemplateGroup::SpeedButton1Click()
{
    if (ComboBox1->currentIndex() > 0)
        ComboBox1->setCurrentIndex(ComboBox1->currentIndex() - 1);
    LoadTemplate();
}

void TTemplateGroup::SpeedButton2Click()
{
    if (ComboBox1->currentIndex() < ComboBox1->count() - 1)
        ComboBox1->setCurrentIndex(ComboBox1->currentIndex() + 1);
    LoadTemplate();
}

// ---- generation ------------------------------------------------------------

void TTemplateGroup::BitBtn2Click()
{
    // What the button read when it was pressed decides: a "Stop !" that
    // arrives after a short run has ended starts nothing.
    const QString caption = FCaptionAtPress.isEmpty() ? BitBtn2->text() : FCaptionAtPress;
    FCaptionAtPress.clear();
    if (caption == StopCaption) {
        if (FRun)
            FRun->Stop();
        return;
    }
    // The second press of a double click is no second run.
    if (FRun || (FLastStart.isValid() && FLastStart.elapsed() < QApplication::doubleClickInterval()))
        return;
    // An undo waiting for another program's lock holds the file.
    if (FSession.Busy())
        throw EZorvane(TMsg::UndoWhileBusy);
    StartRun();
}

void TTemplateGroup::StartRun()
{
    TPlacementSettings settings;
    settings.Sensitivity = SpinValue(Chv);
    settings.FreeSpace = FreeSp->isChecked();
    settings.Threshold = SpinValue(FreeSpaceRng);
    settings.AttemptLimit = AttemptLimitFor(MaxC->isChecked());

    // A file that cannot be read ends the run with its reason.
    TStarsXY universe = FSession.ReadForOperation();
    universe.MinDistance = static_cast<uint16_t>(SpinValue(MinD));
    universe.SetSizeIndex(static_cast<uint8_t>(std::max(SizeSel->currentIndex(), 0)));
    if (ComboBox1->currentIndex() < 0)
        throw EZorvane(NotFoundText());
    const QString templatePath = TemplatePath();
    QImage image;
    if (const QString problem = LoadTemplateImageOrSayWhy(templatePath, image); !problem.isEmpty())
        throw EZorvane(TMsg::CannotLoadTemplate, {templatePath, problem});

    const int stars = universe.StarCount;
    if (stars == 0) {
        emit Said(LoadStr(TMsg::NothingToPlace));
        return;
    }
    const QString what = FormatStr(TMsg::PlacementDone, {static_cast<long long>(stars), ComboBox1->currentText()});
    FRun = std::make_unique<TGenerationRun>(FSession, std::move(universe), image, settings, what);
    connect(FRun.get(), &TGenerationRun::Progress, Progr, &QProgressBar::setValue);
    connect(FRun.get(), &TGenerationRun::Ended, this, [this] { FGuard([this] { GenerationEnded(); }); });
    Progr->setRange(0, std::max(stars - 1, 0));
    Progr->setValue(0);
    Progr->show();
    BitBtn2->setText(StopCaption);
    BitBtn2->setIcon(BitBtn2->style()->standardIcon(QStyle::SP_MediaStop));
    FRun->Start();
    FLastStart.start();
    emit RunningChanged();
}

void TTemplateGroup::GenerationEnded()
{
    // The run is deleted once its signal has returned.
    TGenerationRun &ended = *FRun.release();
    ended.deleteLater();
    Progr->hide();
    BitBtn2->setText(GenerateCaption);
    BitBtn2->setIcon(BitBtn2->style()->standardIcon(QStyle::SP_MediaPlay));
    emit RunningChanged();
    switch (ended.End()) {
    case TRunEnd::Failed:
        try {
            std::rethrow_exception(ended.Error());
        } catch (const EZorvane &e) {
            // "Maximize search" is the advice of the old message; when it is
            // set already, say what does help.
            if (e.Message() == LoadStr(TMsg::UniverseTooSmall) && MaxC->isChecked())
                throw EZorvane(TMsg::UniverseTooSmallMaximized);
            throw;
        }
    case TRunEnd::Stopped: emit Said(LoadStr(TMsg::StoppedNothingWritten)); break;
    case TRunEnd::Written: emit Wrote(ended.What()); break;
    }
}

void TTemplateGroup::Stop()
{
    if (FRun)
        FRun->Stop();
}
