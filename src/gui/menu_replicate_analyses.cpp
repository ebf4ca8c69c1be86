// The Replicate Analyses menu.
#include "gui/menu_commands.h"
#include "shell/replicate_commands.h"
#include "shell/settings.h"

namespace {

// The two bootstrap-tree items differ only in the missing-data treatment.
std::function<void(TMainPrg&)> BootstrapTrees(Treatment treatment) {
    return [treatment](TMainPrg&) {
        CmdBootstrapTrees(CodeOf<TreeKind>(DefaultTreeType), treatment, CodeOf<Coefficient>(SimCoefficient),
                          CodeOf<Transformation>(DistTransformation), BSReplicates, NeiLiR, JCRandomDraws);
    };
}

}  // namespace

MenuCommands ReplicateAnalysesMenuCommands() {
    return {
        {"BootstrapStdTree1", BootstrapTrees(Treatment::Standard)},
        {"MultipleAvgTrees1",
         [](TMainPrg&) {
             CmdMultipleAvgTrees(CodeOf<TreeKind>(DefaultTreeType), CodeOf<Coefficient>(SimCoefficient),
                                 CodeOf<Transformation>(DistTransformation), TRReplicates, NeiLiR, JCRandomDraws);
         }},
        {"BootstrapAvgTrees1", BootstrapTrees(Treatment::Average)},
    };
}
