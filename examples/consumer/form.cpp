// Uses the installed package as a host that loads .ui files does: QUiLoader finds the module,
// FormLoaded completes the form, and the memo rebuilds the evaluator the form names.
#include <QApplication>
#include <QBuffer>
#include <QUiLoader>
#include <cstdio>
#include <memory>
#include <zoZezo/Controls.h>

namespace {

const char* const Ui = R"(<ui version="4.0">
 <widget class="QWidget" name="Form">
  <layout class="QVBoxLayout" name="Layout">
   <item><widget class="zoZezo::TzoZezoEvaluatorWidget" name="Evaluator1"/></item>
   <item>
    <widget class="zoZezo::TovEquationMemo" name="Memo1">
     <property name="zoZezoEvaluator" stdset="0"><cstring>Evaluator1</cstring></property>
    </widget>
   </item>
  </layout>
 </widget>
</ui>)";

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    QUiLoader Loader;
    Loader.addPluginPath(QStringLiteral(ZOZEZO_DESIGNER_PLUGIN_DIR));
    QBuffer File;
    File.setData(Ui);
    std::unique_ptr<QWidget> Form(Loader.load(&File));
    auto* Memo = Form ? Form->findChild<zoZezo::TovEquationMemo*>("Memo1") : nullptr;
    auto* Evaluator =
        Form ? Form->findChild<zoZezo::TzoZezoEvaluatorWidget*>("Evaluator1") : nullptr;
    bool Ok = Memo && Evaluator;
    if (Ok) {
        zoZezo::FormLoaded(Form.get());
        Memo->SetEquations({QStringLiteral("a: 2"), QStringLiteral("b: a*3")});
        Memo->Refresh();
        const auto& Equations = Evaluator->Evaluator().Equations();
        Ok = Equations.Count() == 2 && Equations.GetEquation(1)->Compute() == 6;
    }
    std::printf("consumer-form: %s\n", Ok ? "ok" : qPrintable("FAILED " + Loader.errorString()));
    return Ok ? 0 : 1;
}
