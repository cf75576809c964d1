#pragma once

#include <QWidget>

namespace zoZezo {

// Completes a form that QUiLoader::load or a uic-generated setupUi has just built, the way a
// loaded form is finished: every equation memo of Form (Form itself included) whose
// zoZezoEvaluator property names a TzoZezoEvaluatorWidget is given that widget's evaluator
// (see TCustomovEquationMemo::ResolveEvaluatorName); then each memo's Loaded runs, which fires
// OnCreate. Memos are visited in the order of the form's widget tree. A name that the form
// does not hold leaves the memo without an evaluator and is reported through qWarning.
//
// Call it once per loaded form, after connecting to OnCreate. Null does nothing.
void FormLoaded(QWidget* Form);

} // namespace zoZezo
