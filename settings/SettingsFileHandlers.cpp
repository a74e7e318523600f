// The settings file "Config.dat" and the parameter files "*.Par".
#include "app/TForm_Main.h"

#include "link/CommandText.h"
#include "panel/NumericEdit.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepText.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QToolButton>
#include <stdexcept>

// What the files carry, as the window holds it now.
SettingsImage TForm_Main::settingsImage() const
{
    SettingsImage image;
    copySettingsHeader(m_state, image);
    for (int k = 0; k < 10; ++k)
        image.FastKeyCaptions[k] = tbFastKey[k]->text();
    image.ScanStart = iAnalogOutput_ScanVoltStart->value();
    image.ScanStop = iAnalogOutput_ScanVoltStop->value();
    image.ScanStep = iAnalogOutput_ScanVoltStep->value();
    image.ScanDelay = iAnalogOutput_ScanVoltDelay->value();
    image.ProgramSteps = m_state.ProgramSteps;
    image.GoNgSteps = m_state.GoNgSteps;
    return image;
}

void TForm_Main::LoadSettingsFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(tr("Cannot open %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    const bool parameterKind = isParameterPath(path);

    SettingsImage image = settingsImage();

    const SettingsReadResult result = readSettings(bytes, parameterKind, image);

    if (!parameterKind) {
        copySettingsHeader(image, m_state);
        if (result.headerRead)
            ApplyKnobSteps();
    }
    for (int k = 0; k < 10; ++k)
        tbFastKey[k]->setText(image.FastKeyCaptions[k]);
    iAnalogOutput_ScanVoltStart->setValue(image.ScanStart);
    iAnalogOutput_ScanVoltStop->setValue(image.ScanStop);
    iAnalogOutput_ScanVoltStep->setValue(image.ScanStep);
    iAnalogOutput_ScanVoltDelay->setValue(image.ScanDelay);
    if (result.programStepsRead) {
        m_state.ProgramSteps = image.ProgramSteps;
        TeThemeStringGridList->setGridRowCount(int(m_state.ProgramSteps.size()) + 1);
        fillProgramGrid();
    }
    if (result.goNgStepsRead) {
        m_state.GoNgSteps = image.GoNgSteps;
        TeThemeStringGridGoNg->setGridRowCount(int(m_state.GoNgSteps.size()) + 1);
        fillGoNgGrid();
    }
    if (!result.problem.isEmpty())
        reportProblem(tr("%1: %2").arg(QDir::toNativeSeparators(path), result.problem));
}

void TForm_Main::fillProgramGrid()
{
    for (int r = 1; r <= int(m_state.ProgramSteps.size()); ++r) {
        const ProgramStep& step = m_state.ProgramSteps[r - 1];
        TeThemeStringGridList->setCell(1, r, stepFieldText(step.VoltageText));
        TeThemeStringGridList->setCell(2, r, stepFieldText(step.CurrentText));
        TeThemeStringGridList->setCell(3, r, FloatToText(step.Time));
    }
    NumberProgramSteps();
}

void TForm_Main::fillGoNgGrid()
{
    for (int r = 1; r <= int(m_state.GoNgSteps.size()); ++r) {
        const GoNgStep& step = m_state.GoNgSteps[r - 1];
        TeThemeStringGridGoNg->setCell(1, r, stepFieldText(step.SettingText));
        TeThemeStringGridGoNg->setCell(3, r, stepFieldText(step.MaxText));
        TeThemeStringGridGoNg->setCell(4, r, stepFieldText(step.MinText));
        TeThemeStringGridGoNg->setCell(5, r, FloatToText(step.Time));
    }
    NumberGoNgSteps();
}

void TForm_Main::SaveSettingsFile(const QString& path)
{
    SettingsImage image = settingsImage();

    // Written whole to a new file that then takes the old one's place, so a failed
    // write never leaves a half file where the settings were.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(writeSettings(image, isParameterPath(path))) < 0 || !file.commit())
        throw std::runtime_error(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()).toStdString());
}

void TForm_Main::tbSaveClick()
{
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Save parameters"), m_programDir,
        QStringLiteral("Param files (*.Par)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    SaveSettingsFile(parameterFileName(chosen));
}

void TForm_Main::tbOpenClick()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Open parameters"), m_programDir,
        QStringLiteral("Param files (*.Par)"));
    if (!chosen.isEmpty())
        LoadSettingsFile(chosen);
}
