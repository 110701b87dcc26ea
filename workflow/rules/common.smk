# The settings of the workflow: config, sample sheet, genome facts, and the
# memory and time of each job. Included by the Snakefile.

import csv
import gzip
import math
import os
import re
import shlex
import subprocess

# The bundled config unless the user names one: a named config replaces it
# rather than merging with it, so its commands are the only ones run.
if not workflow.overwrite_configfiles:
    configfile: os.path.join(workflow.basedir, "config.yaml")


# Commands that take one genome and one reads file, so that each sample is a run.
SAMPLE_COMMANDS = {
    "coverage", "stretches", "absent", "once", "assembly-test", "parted",
    "circrna", "randext", "randext-tasks",
}
MIB = 1 << 20


def fail(text):
    raise WorkflowError(f"vantrels workflow: {text}")


def setting(key, default=None):
    value = config.get(key, default)
    if value is None:
        fail(f"the config has no '{key}'")
    return value


VANTRELS = str(setting("vantrels", "vantrels"))
RESULTS = str(setting("results", "results")).rstrip("/") or "."
LOGS = str(setting("logs", "logs")).rstrip("/") or "."
GENOME = str(setting("genome"))
# Threads of each vantrels run (--threads); locally never more than --cores.
THREADS = setting("threads", 2)
if not isinstance(THREADS, int) or THREADS < 1:
    fail("threads must be a whole number of at least 1")
# Where SLURM writes each job's own output (the profile names it).
SLURM_LOGS = f"{LOGS}/slurm"


def options_text(name, value):
    """A command's options from the config: one string, or a list of words."""
    if value is None:
        return ""
    if isinstance(value, str):
        return value
    if isinstance(value, (list, tuple)):
        return " ".join(shlex.quote(str(word)) for word in value)
    fail(f"commands: {name}: options must be a string or a list")


def option_number(words, name):
    """The value of --name N or --name=N among a command's words, or None."""
    for i, word in enumerate(words):
        if word == name and i + 1 < len(words):
            value = words[i + 1]
        elif word.startswith(name + "="):
            value = word[len(name) + 1:]
        else:
            continue
        return int(value) if value.isdigit() else None
    return None


COMMANDS = {}
for name, value in (setting("commands") or {}).items():
    if name not in SAMPLE_COMMANDS:
        fail(f"commands: '{name}' is not a command that runs on one sample "
             f"(one of: {', '.join(sorted(SAMPLE_COMMANDS))})")
    COMMANDS[name] = options_text(name, value)
if not COMMANDS:
    fail("commands: the config names no command to run")


def read_samples(path):
    """The sample sheet: a header line 'sample<TAB>reads', then one sample a line."""
    if not os.path.isfile(path):
        fail(f"samples: {path}: not found")
    samples = {}
    with open(path, newline="") as sheet:
        rows = [row for row in csv.reader(sheet, delimiter="\t")
                if row and row[0].strip() and not row[0].startswith("#")]
    if not rows or [cell.strip() for cell in rows[0][:2]] != ["sample", "reads"]:
        fail(f"samples: {path}: the first line must be 'sample<TAB>reads'")
    for row in rows[1:]:
        if len(row) < 2 or not row[1].strip():
            fail(f"samples: {path}: sample {row[0]!r} has no reads file")
        sample, reads = row[0].strip(), row[1].strip()
        # The name becomes a folder and a SLURM job name.
        if not re.fullmatch(r"[A-Za-z0-9][A-Za-z0-9_.-]*", sample):
            fail(f"samples: {path}: {sample!r}: a sample name holds only letters, "
                 "digits, '_', '.' and '-'")
        if sample in samples:
            fail(f"samples: {path}: sample {sample} is named twice")
        samples[sample] = reads
    if not samples:
        fail(f"samples: {path}: no sample")
    return samples


SAMPLES = read_samples(str(setting("samples")))


def file_stem(path):
    """A file's name without its compression and its format extension."""
    name = os.path.basename(path)
    for packed in (".gz", ".bgz"):
        if name.endswith(packed):
            name = name[: -len(packed)]
    stem, _ = os.path.splitext(name)
    return stem or name


def opened(path):
    """The file for reading, unpacked if it is gzip (BGZF is gzip too)."""
    with open(path, "rb") as raw:
        packed = raw.read(2) == b"\x1f\x8b"
    return gzip.open(path, "rb") if packed else open(path, "rb")


def is_sequence_file(path):
    """FASTA or FASTQ, to be prepared; otherwise a raw genome, used as it is."""
    try:
        with opened(path) as genome:
            return genome.read(1) in (b">", b"@")
    except OSError:
        return False  # the genome rule reports the missing file


def count_bases(path):
    """The bases of every record (the one vantrels takes holds at most that)."""
    bases = 0
    with opened(path) as genome:
        fastq = genome.read(1) == b"@"
        genome.seek(0)
        for number, line in enumerate(genome):
            if fastq:
                bases += len(line.strip()) if number % 4 == 1 else 0
            elif not line.startswith(b">"):
                bases += len(line.strip())
    return bases


def genome_bases():
    """The genome's length, which sizes every job's memory: the prepared genome's
    size once it is there (one byte a base), else counted from the input."""
    try:
        if (os.path.exists(PREPARED_GENOME)
                and os.path.getmtime(PREPARED_GENOME) >= os.path.getmtime(GENOME)):
            return os.path.getsize(PREPARED_GENOME)
        return count_bases(GENOME) if GENOME_IS_SEQUENCE_FILE else os.path.getsize(GENOME)
    except OSError:
        return 0  # the genome rule reports the missing file


GENOME_IS_SEQUENCE_FILE = is_sequence_file(GENOME)
if GENOME_IS_SEQUENCE_FILE:
    PREPARED_GENOME = f"{RESULTS}/genome/{file_stem(GENOME)}.txt"
else:
    PREPARED_GENOME = f"{RESULTS}/genome/{os.path.basename(GENOME)}"
GENOME_BASES = genome_bases()
PREPARE_OPTIONS = " ".join(
    ([f"--record {shlex.quote(str(config['record']))}"] if config.get("record") else [])
    + [options_text("genome_options", config.get("genome_options"))]
).strip()


def command_line_works():
    """vantrels with the command line (a build of the selection-file run alone
    would take any argument for that run)."""
    try:
        done = subprocess.run([VANTRELS, "--version"], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as problem:
        fail(f"vantrels: {VANTRELS}: can't run it ({problem}); set 'vantrels' in the config")
    if done.returncode != 0 or not done.stdout.startswith(b"vantrels "):
        fail(f"vantrels: {VANTRELS}: has no command line ('vantrels --version' failed)")


def has_report_command():
    """Whether this vantrels makes reports: its help for the command names it."""
    try:
        done = subprocess.run([VANTRELS, "report", "--help"], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired):
        return False
    return done.returncode == 0 and b"vantrels report" in done.stdout + done.stderr


command_line_works()
REPORT_SETTING = str(config.get("report", "auto")).lower()
if REPORT_SETTING in ("auto", ""):
    MAKE_REPORTS = has_report_command()
elif REPORT_SETTING in ("true", "yes"):
    MAKE_REPORTS = has_report_command() or fail(f"report: {VANTRELS} has no report command")
else:
    MAKE_REPORTS = False

os.makedirs(SLURM_LOGS, exist_ok=True)  # sbatch does not create the folder of --output


def memory_mb(command):
    """The memory of one run: the 16-mer index with the genome (64 MiB plus 13
    bytes a base), the procedure's own tables, and room for the program and its
    input conversion."""
    bases = GENOME_BASES
    tables = 0
    if command == "coverage":
        words = shlex.split(COMMANDS[command])
        low, high = option_number(words, "--min"), option_number(words, "--max")
        if low is not None and high is not None and high >= low:
            tables = 12 * bases * (high - low + 1)  # both strands' counts, per read length
            if low < 16:
                tables += MIB + 4 * bases  # the 8-mer index of short reads
    elif command in ("randext", "randext-tasks"):
        tables = 64 * MIB + 8 * bases  # the lower strand's 12-mer index
    index = 64 * MIB + 13 * bases
    return math.ceil((index + tables) / MIB) + int(config.get("extra_memory_mb", 128))


def runtime_minutes(command):
    return int((config.get("runtime_minutes") or {}).get(command, 60))


def run_folders(sample=None):
    chosen = [sample] if sample else list(SAMPLES)
    return [f"{RESULTS}/{name}/{command}" for name in chosen for command in COMMANDS]
