#include "cli/commands.h"

#include <cstring>

#include "cli/runners.h"

namespace {

const OptionText kOptionTexts[] = {
    {"--genome", "FILE", "pthGnm", "genome: FASTA (plain, gzip, BGZF), or raw letters or code bytes"},
    {"--reads", "FILE", "pthReads", "reads: FASTQ/FASTA (plain, gzip, BGZF) or raw, one per line; - reads standard input"},
    {"--out", "DIR", "diRes", "result directory, made with its parents if missing"},
    {"--min", "N", "rMinSz", "shortest read in scope, in bases"},
    {"--max", "N", "rMaxSz", "longest read in scope, in bases"},
    {"--record", "NAME", nullptr, "the FASTA record that is the genome"},
    {"--id", "TEXT", "experimentId", "experiment name that starts the result names (blank: RnaCut_ + reads name)"},
    {"--immut", "N", "immutSz", "bases at the read's start that must match the genome"},
    {"--tip", "N", "mutTipSz", "bases at the read's end that may be replaced"},
    {"--mismatches", "N", "misNu", "least number of tip bases that differ from the genome"},
    {"--tasks", "FILE", "pthTaskList", "task list: line 7 the experiment name, from line 9 IMMUT<TAB>TIP<TAB>MISMATCHES"},
    {"--reads-dir", "DIR", "diReads", "directory of the reads files that --list names"},
    {"--list", "FILE", "pthList", "list of reads files, one name per line"},
    {"--max-hits", "N", nullptr, "stop reading after the read that takes the upper-strand hits above N; 0 reads every read"},
    {"--params", "FILE", nullptr, "values from a parameter file (keys as in the selection-file run); options override them"},
    {"--threads", "N", nullptr, "threads for the index build and the read pass; the results are the same for any N"},
    {"--quiet", nullptr, nullptr, "no progress line and no summary line on standard error"},
    {"--no-standard", nullptr, nullptr, "write the native result files only, none of the standard files"},
    {"--depth", nullptr, nullptr, "also the per-base depth of each strand as bedGraph"},
    {"--report", nullptr, nullptr, "at the end, write report.html of --out (as vantrels report does)"},
};

const char kHitLimit[] = "9995";

// Options every command takes, after its own.
void fAddCommon(std::vector<OptionUse>& options) {
  options.push_back({"--no-standard", false, "off"});
  options.push_back({"--report", false, "off"});
  options.push_back({"--params", false, "none"});
  options.push_back({"--threads", false, "the cores this process may use"});
  options.push_back({"--quiet", false, "off"});
}

std::vector<Command> fBuildCommands() {
  const OptionUse genome{"--genome", true, nullptr};
  const OptionUse reads{"--reads", true, nullptr};
  const OptionUse out{"--out", true, nullptr};
  const OptionUse record{"--record", false, "the only record"};
  const OptionUse minNeeded{"--min", true, nullptr};
  const OptionUse maxNeeded{"--max", true, nullptr};
  const OptionUse minOptional{"--min", false, "1"};
  const OptionUse maxOptional{"--max", false, "5119, the longest read"};
  const OptionUse maxHits{"--max-hits", false, kHitLimit};

  std::vector<Command> commands = {
      {"coverage", "fMatchReadsT_VarSzO", nullptr, "Mapping reads",
       "reads of a size range weighed over their places on both strands",
       "Matches every read of the size scope whole on both strands and gives each genome\n"
       "position the reads that start there, each weighed by one over its number of places.",
       "READS[MIN-MAX]GENOME_Up1.txt, _Up2.txt ... (upper strand, 1,000,000 positions each),\n"
       "  READS[MIN-MAX]GENOME_Lw1.txt ... (lower strand), READS[MIN-MAX]GENOME_Log.txt",
       "READS.coverage.plus.bedGraph, READS.coverage.minus.bedGraph (weighted read starts);\n"
       "  with --depth READS.depth.plus.bedGraph, READS.depth.minus.bedGraph; GENOME.genome",
       "vantrels coverage --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results --min 40 --max 354",
       {genome, reads, out, minNeeded, maxNeeded, record, {"--depth", false, "off"}}, fRunCoverage},
      {"stretches", "fMapReadsOnToSeq", nullptr, "Mapping reads",
       "the longest stretch of each read found in the genome",
       "Finds for every read the longest stretch, from its fourth base, that occurs on either\n"
       "strand, and keeps the stretches of 26 bases or more, with a histogram of their lengths.",
       "READS_In.bin (the stretches as code bytes), READS_In[MIN-MAX]GENOME_Log.txt",
       "READS.stretches.tsv (read name, read length, longest stretch); GENOME.genome",
       "vantrels stretches --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results --min 40 --max 354",
       {genome, reads, out, minNeeded, maxNeeded, record}, fRunStretches},
      {"absent", "fGetReadsThatOutOfSeq", "fReadsOutOfSeq", "Reads absent, single or repeated",
       "reads found nowhere in the genome",
       "Writes the reads of the size scope that occur on neither strand. Raw code-byte reads\n"
       "run fReadsOutOfSeq; FASTA/FASTQ and letter reads run fGetReadsThatOutOfSeq, which\n"
       "counts reads with other letters than A, C, G, T as defective.",
       "READS_OutGENOME.txt (the absent reads as code bytes) and READS_OutGENOME_Log.txt;\n"
       "  for raw code-byte reads READS_Out.bin and READS_OutGENOME_Log.txt",
       "READS.absent.fastq (.fasta when the reads have no qualities); GENOME.genome",
       "vantrels absent --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results",
       {genome, reads, out, minOptional, maxOptional, record}, fRunAbsent},
      {"once", "fMapReadsOneInSeq", nullptr, "Reads absent, single or repeated",
       "reads found once or at many places, clusters of the single ones",
       "Sorts the reads by their places on the upper strand: none, one, or many. Reads found\n"
       "many times are kept; the places of reads found once are merged into clusters.",
       "READSMany.bin (reads found many times, code bytes), READS[One]GENOME_Log.txt,\n"
       "  READS[One]GENOME_Clust.txt",
       "READS.once.bed, READS.clusters.bed, READS.many.fastq (.fasta without qualities); GENOME.genome",
       "vantrels once --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results",
       {genome, reads, out, minOptional, maxOptional, record}, fRunOnce},
      {"assembly-test", "fTestGenomeSborka", nullptr, "Reads absent, single or repeated",
       "an assembled genome tested against its repeats and reads",
       "Reports the genome's longest repeat and repeats per base, then checks reads found at\n"
       "many places (such as the READSMany.bin of once) against the repeats.",
       "RepTest_GENOME_Log.txt, RepTest_GENOME.txt",
       "GENOME.assembly-test.tsv, READS.assembly-test.noncorrect.tsv; GENOME.genome",
       "vantrels assembly-test --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results",
       {genome, reads, out, minOptional, maxOptional, record}, fRunAssemblyTest},
      {"parted", "fMatchReadsT_VarSzParted", nullptr, "Parted reads and circular RNA",
       "reads that are a rotation of a genome segment",
       "Finds reads whose first part matches the genome and whose last part lies right before\n"
       "it, on both strands.",
       "READS[MIN-MAX]GENOME_PartedLog.txt, READS[MIN-MAX]GENOME_Parted.txt",
       "READS.parted.bed, READS.parted.tsv; GENOME.genome",
       "vantrels parted --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results --min 40 --max 354",
       {genome, reads, out, minNeeded, maxNeeded, record, maxHits}, fRunParted},
      {"parted-rate", "fMatchReadsT_VarSzPartedRate", nullptr, "Parted reads and circular RNA",
       "genome positions rated by the reads files that show a parted read there",
       "Searches every reads file of a list for parted reads and rates each genome position\n"
       "by the number of files with a parted read starting there.",
       "_RatingLog.txt",
       "LIST.parted-rate.bedGraph; GENOME.genome",
       "vantrels parted-rate --genome examples/lambda.fa.gz --reads-dir examples --list examples/lambda_list.txt --out results",
       {genome, {"--reads-dir", true, nullptr}, {"--list", true, nullptr}, out, minOptional, maxOptional, record},
       fRunPartedRate},
      {"circrna", "fIdentifyCircularRna", nullptr, "Parted reads and circular RNA",
       "circular RNA: reads that are a rotation of a segment of their own length",
       "Sorts the reads of the size scope into defective, found whole, circular permutations\n"
       "of a genome segment (searched from both ends of the read, on both strands), or none.",
       "READS_RCircular.txt",
       "READS.circrna.bed, READS.circrna.tsv; GENOME.genome",
       "vantrels circrna --genome examples/lambda.fa.gz --reads examples/lambda_reads.fq.gz --out results --min 40 --max 354",
       {genome, reads, out, minOptional, maxOptional, record, maxHits}, fRunCircularRna},
      {"randext", "RandExt", nullptr, "RNA end replacement",
       "one end-replacement experiment: sites of reads with a replaced tip",
       "Keeps the reads of exactly IMMUT + TIP bases whose first IMMUT bases match the genome\n"
       "and whose last TIP bases differ from it in at least MISMATCHES bases, and reports the\n"
       "sites they fall on with the entropy of their tips. IMMUT + TIP is at least 12, TIP at\n"
       "most 15.",
       "ID_IMMUT!TIP!MISMATCHES!.txt (site table) and ID_IMMUT!TIP!MISMATCHES!Log.txt, every \".\"\n"
       "  of ID made \"_\"; --id blank: RnaCut_READS_...; no --id: _IMMUT!TIP!MISMATCHES!...",
       "READS.randext.ID_IMMUT-TIP-MISMATCHES.sites.bed and .tips.tsv; GENOME.genome",
       "vantrels randext --genome examples/lambda.fa.gz --reads examples/lambda_reads.txt --out results --id demo --immut 20 --tip 5",
       {genome, reads, out, {"--immut", true, nullptr}, {"--tip", true, nullptr}, {"--mismatches", false, "1"},
        {"--id", false, "none"}, record},
       fRunRandExt},
      {"randext-tasks", "RandExtTaskList", nullptr, "RNA end replacement",
       "a list of end-replacement experiments over one genome index",
       "Runs the experiment of randext once per task line, over one genome and one index.\n"
       "Each task's files are in --out as soon as the task ends; a failing task stops the list.",
       "per task IDENTITY_IMMUT!TIP!MISMATCHES!.txt and IDENTITY_IMMUT!TIP!MISMATCHES!Log.txt",
       "per task READS.randext.IDENTITY_IMMUT-TIP-MISMATCHES.sites.bed and .tips.tsv;\n"
       "  GENOME.genome",
       "vantrels randext-tasks --genome examples/lambda.fa.gz --reads examples/lambda_reads.txt --out results --tasks examples/tasklist.txt",
       {genome, reads, out, {"--tasks", true, nullptr}, record}, fRunRandExtTasks},
  };
  for (Command& command : commands) fAddCommon(command.options);
  return commands;
}

const char kOverviewHead[] =
    "Usage: vantrels COMMAND [options]\n"
    "       vantrels            (no argument: the run that _ParamsOfFunc.txt beside the program selects)\n"
    "\n"
    "Analyses sequencing reads against one genome, held as a circle and matched exactly on\n"
    "both strands. Each command is also run by its procedure's name.\n";

const char kOverviewTail[] =
    "\n"
    "Input\n"
    "  prep             FASTA/FASTQ into raw genome and reads files, code bytes back into\n"
    "                   letters (vantrels prep --help)\n"
    "\n"
    "Looking at results\n"
    "  report           one HTML page with plots of the runs in a result directory\n"
    "                   (vantrels report --help)\n"
    "\n"
    "Inputs may be FASTA or FASTQ (plain, gzip or BGZF) or raw genome and reads files, told\n"
    "apart by their content. Results go to --out, the native files of each procedure with\n"
    "standard BED, bedGraph, TSV and FASTQ files beside them; messages go to standard error.\n"
    "\n"
    "vantrels COMMAND --help     the command's options and an example\n"
    "vantrels --version          the version\n";

const char kExitStatus[] =
    "Exit status: 0 done (also when nothing was found), 1 usage or parameter error,\n"
    "2 input error, 3 output error (directory, write, full disk), 4 out of memory,\n"
    "128 + N after signal N (SIGINT, SIGTERM). A failed run leaves earlier results as they were.\n";

const char kReportHelp[] =
    "Usage: vantrels report [options] DIR\n"
    "\n"
    "Writes DIR/report.html, one page with a section per run found in DIR (its native files,\n"
    "standard files and run summaries): the run's inputs and counts, and plots of coverage\n"
    "along the genome, stretch and cluster lengths, junction positions, and the tip entropy\n"
    "of end-replacement sites. The page is self-contained (inline SVG and CSS, nothing\n"
    "fetched), readable offline and printable, and the same results give the same bytes.\n"
    "Every command writes it at the end of a run when given --report.\n"
    "\n"
    "Options:\n"
    "  -h, --help         this text\n"
    "\n"
    "Example (from the source folder, after the example of vantrels coverage --help):\n"
    "  vantrels report results\n"
    "\n";

// How the run summary of a command is named: after the reads, or after the
// experiment for the end-replacement commands.
std::string fSummaryPattern(const Command& command) {
  std::string tail = std::string(".") + command.name + ".summary.tsv";
  if (command.run == fRunRandExt) return "ID_IMMUT!TIP!MISMATCHES!" + tail;
  if (command.run == fRunRandExtTasks) return "IDENTITY_IMMUT!TIP!MISMATCHES!" + tail + " per task";
  if (command.run == fRunPartedRate) return "LIST" + tail;
  return "READS" + tail;
}

}  // namespace

const std::vector<Command>& fCommands() {
  static const std::vector<Command> commands = fBuildCommands();
  return commands;
}

const Command* fFindCommand(const std::string& word) {
  for (const Command& command : fCommands()) {
    if (word == command.name || word == command.procedure) return &command;
    if (command.alias != nullptr && word == command.alias) return &command;
  }
  return nullptr;
}

const OptionUse* fFindOption(const Command& command, const std::string& name) {
  for (const OptionUse& option : command.options)
    if (name == option.name) return &option;
  return nullptr;
}

const OptionText* fOptionText(const std::string& name) {
  for (const OptionText& text : kOptionTexts)
    if (name == text.name) return &text;
  return nullptr;
}

void fPrintOverview(FILE* out) {
  std::fputs(kOverviewHead, out);
  const char* group = "";
  for (const Command& command : fCommands()) {
    if (std::strcmp(group, command.group) != 0) {
      group = command.group;
      std::fprintf(out, "\n%s\n", group);
    }
    std::fprintf(out, "  %-16s %s\n", command.name, command.summary);
  }
  std::fputs(kOverviewTail, out);
  std::fputs("\n", out);
  std::fputs(kExitStatus, out);
}

void fPrintCommandHelp(const Command& command, FILE* out) {
  std::fprintf(out, "Usage: vantrels %s [options]\n", command.name);
  std::fprintf(out, "       (also: vantrels %s%s%s)\n\n", command.procedure, command.alias ? ", " : "",
               command.alias ? command.alias : "");
  std::fprintf(out, "%s\n\nOptions:\n", command.description);
  for (const OptionUse& option : command.options) {
    const OptionText* text = fOptionText(option.name);
    std::string head = option.name;
    if (text->value != nullptr) head = head + " " + text->value;
    std::string tail = option.required ? "[required]" : std::string("[") + option.fallback + "]";
    std::fprintf(out, "  %-18s %s %s\n", head.c_str(), text->text, tail.c_str());
  }
  std::fprintf(out, "  %-18s %s\n", "-h, --help", "this text");
  std::fprintf(out, "\nResults in --out:\n  %s\n", command.results);
  std::fprintf(out, "  %s: version, command line, inputs and every count of the log\n",
               fSummaryPattern(command).c_str());
  std::fprintf(out, "Standard files beside them (BED and bedGraph 0-based, TSV 1-based; not with --no-standard):\n"
               "  %s\n", command.standard);
  std::fprintf(out, "\nExample (from the source folder):\n  %s\n\n", command.example);
  std::fputs(kExitStatus, out);
}

void fPrintReportHelp(FILE* out) {
  std::fputs(kReportHelp, out);
  std::fputs(kExitStatus, out);
}

std::string fHelpHint(const Command* command) {
  if (command == nullptr) return "vantrels --help lists the commands";
  return std::string("vantrels ") + command->name + " --help lists its options";
}
