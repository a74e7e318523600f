// Model identification from the identity reply, and the model table's limits.
#include "link/PowerLink.h"

#include "link/LinkView.h"
#include "link/ModelTable.h"

#include <QDir>
#include <QFile>

void PowerLink::IdentifyModel(const QByteArray& line)
{
    const QString modelName = translateModelCode(modelCodeFromIdentity(QString::fromLatin1(line)));
    m_view.showModel(modelName);
    LoadModelLimits(modelName);
}

void PowerLink::LoadModelLimits(const QString& modelName)
{
    QFile file(QDir(m_programDir).filePath(QStringLiteral("PowerType.dat")));
    if (!file.open(QIODevice::ReadOnly)) {
        m_view.reportProblem(tr("The model table %1 cannot be read (%2); the knob limits stay as they are.")
                                 .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        return;
    }
    const ModelTableResult result = findModelLimits(file.readAll(), modelName);
    if (!result.problem.isEmpty())
        m_view.reportProblem(result.problem);
    if (result.limits)
        m_view.applyModelLimits(*result.limits);
}
