// The template selection of the main window and the generation run behind
// "Generate !".
#include "comments.h"
#include "messages.h"
#include "placement.h"
#include "random.h"
#include "stars.h"
#include "starsxy.h"
#include "templatelist.h"
#include "templatesettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

// What the spin editor shows, with typed text taken as if it lost the focus:
// a number is clamped into the range, any other text counts as the minimum.
// (Qt's own correction would turn a number above the range into the minimum.)
int SpinValue(QSpinBox *Spin)
{
    bool isNumber = false;
    const int typed = Spin->cleanText().trimmed().toInt(&isNumber);
    const int value = isNumber ? std::clamp(typed, Spin->minimum(), Spin->maximum()) : Spin->minimum();
    Spin->setValue(value);
    return value;
}

} // namespace

// ---- templates -------------------------------------------------------------

void TForm1::InitTemplates()
{
    Map.BandMinX = -1;
    Map.BandMaxX = -1;
    PanelBusy = false;
    ActiveGroup = -1;
    StopRequested = false;
    SizeSel->setCurrentIndex(0);
    ChangeMode = false;
    ComboBox1->clear();
    // The program's own templates first, then the player's; the player's
    // folder is only read, never created.
    FTemplates = ListTemplates(QStringList{FProgramDir, FUserTemplateDir});
    for (const TTemplateEntry &entry : FTemplates)
        ComboBox1->addItem(entry.Name);
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    LoadTemplate();
    ClearGroups();
    if (ComboBox1->count() == 0) {
        // Shown once the window is up, not in the middle of showing it.
        QTimer::singleShot(0, this, [this] { FDialogs.Error(this, LoadStr(TMsg::TemplatesNotFound)); });
    }
}

void TForm1::LoadTemplate()
{
    if (ComboBox1->currentIndex() < 0)
        return;
    QImage image;
    if (!LoadTemplateImage(TemplatePath(), image))
        return; // the preview and the settings stay as they were
    Image1->setPixmap(QPixmap::fromImage(image));
    ReadTemplateSettings();
}

void TForm1::ReadTemplateSettings()
{
    const TTemplateSettings settings =
        ::ReadTemplateSettings(SettingsFileName(TemplatePath()));
    // The spin editors clamp each value into their range.
    Chv->setValue(settings.Sensitivity);
    FreeSp->setChecked(settings.FreeSpaceMode != 0);
    if (settings.FreeSpaceMode != 0)
        FreeSpaceRng->setValue(settings.FreeSpaceMode);
    MinD->setValue(settings.MinStarsDist);
    Conf->setToolTip(settings.Comments);
    if (FComments)
        FComments->SetComment(settings.Comments);
}

void TForm1::ComboBox1Change() { LoadTemplate(); }

QString TForm1::TemplatePath() const
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || static_cast<size_t>(index) >= FTemplates.size())
        return {};
    return FTemplates[static_cast<size_t>(index)].Path;
}

void TForm1::SpeedButton1Click()
{
    if (ComboBox1->currentIndex() > 0)
        ComboBox1->setCurrentIndex(ComboBox1->currentIndex() - 1);
    LoadTemplate();
}

void TForm1::SpeedButton2Click()
{
    if (ComboBox1->currentIndex() < ComboBox1->count() - 1)
        ComboBox1->setCurrentIndex(ComboBox1->currentIndex() + 1);
    LoadTemplate();
}

// ---- generation ------------------------------------------------------------

void TForm1::BitBtn2Click() { GenerateUniverse(); }

void TForm1::GenerateUniverse()
{
    if (BitBtn2->text() == StopCaption) {
        StopPressed = true;
        return;
    }
    // A stop that came in after the last star of an earlier run was placed
    // was never honoured; it must not end this run at its first pass.
    StopPressed = false;
    StopRequested = false;

    TPlacementSettings settings;
    settings.Sensitivity = SpinValue(Chv);
    settings.FreeSpace = FreeSp->isChecked();
    settings.Threshold = SpinValue(FreeSpaceRng);

    Progr->show();
    BitBtn2->setText(StopCaption);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    Generating = true;
    UpdateControls();
    struct TEndOfRun {
        TForm1 &Form;
        ~TEndOfRun()
        {
            Form.Progr->hide();
            Form.BitBtn2->setText(GenerateCaption);
            Form.BitBtn2->setIcon(Form.style()->standardIcon(QStyle::SP_MediaPlay));
            Form.Generating = false;
            Form.UpdateControls();
            Form.StopRequested = false;
        }
    } endOfRun{*this};

    const QString path = StaticXY->text();
    if (path.isEmpty())
        throw EZorvane(TMsg::XYNotOpen);
    // A file that cannot be read ends the run with its reason.
    auto universe = std::make_unique<TStarsXY>(path);
    settings.AttemptLimit = MaxC->isChecked() ? 250 : 25;
    universe->MinDistance = static_cast<uint16_t>(SpinValue(MinD));
    universe->SetSizeIndex(static_cast<uint8_t>(std::max(SizeSel->currentIndex(), 0)));

    if (ComboBox1->currentIndex() < 0)
        throw EZorvane(TMsg::TemplatesNotFound);
    const QString templatePath = TemplatePath();
    QImage image;
    if (!LoadTemplateImage(templatePath, image))
        throw EZorvane(TMsg::CannotLoadTemplate, {templatePath});

    Progr->setRange(0, std::max(universe->StarCount - 1, 0));
    Progr->setValue(0);
    TPlacementHooks hooks;
    hooks.StopRequested = [this] { return StopRequested || StopPressed; };
    hooks.StarPlaced = [this](int Placed) {
        Progr->setValue(Placed);
        QCoreApplication::processEvents();
    };
    if (PlaceStars(*universe, image, settings, hooks) == TPlacementEnd::Stopped) {
        StopPressed = false;
        return; // nothing written, the map stays as it was
    }
    image = QImage();
    universe->SaveToFile(path, true);
    Wrote({universe->ReadImage(), universe->FileImage(),
           FormatStr(TMsg::PlacementDone, {static_cast<long long>(universe->StarCount), ComboBox1->currentText()})});
}
