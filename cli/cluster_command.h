// `holvane cluster slurm INPUT OUTPUT [render options] [--chunks N]
// [--script PATH] [--submit]`: the Slurm job array that renders a clip in
// chunks (scripts/cluster/holvane-array.sbatch), printed as the sbatch
// command line or submitted.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args follow the word "cluster". Throws CliError on a bad command line.
int run_ClusterCommand(const std::vector<std::string> &args, std::ostream &out);
