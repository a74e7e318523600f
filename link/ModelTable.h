#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

/// The name a model is listed under: codes containing L325, L32, L31, L335 or L33
/// (tested in that order, so a longer code wins over the one it contains) become
/// R525, R505, R515, R535 or R540; any other code is its own name.
QString translateModelCode(const QString& code);

/// The model code of an identification reply: its second comma-separated field,
/// empty when the reply has fewer than two commas.
QString modelCodeFromIdentity(const QString& idnReply);

struct ModelLimits {
    double maxVoltage;
    double maxCurrent;
};

struct ModelTableResult {
    std::optional<ModelLimits> limits; ///< set only when a usable record carries the name
    QString problem;                   ///< empty, or one sentence about a short or bad file
};

/// Looks a model name up in the bytes of "PowerType.dat": N - 1 records of six
/// counted text fields are examined (N = lowest byte of the leading 4-byte count);
/// names compare ignoring letter case, and the last usable matching record wins.
/// A file that ends inside those records gives no limits at all.
ModelTableResult findModelLimits(const QByteArray& fileBytes, const QString& modelName);
