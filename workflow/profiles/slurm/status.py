#!/usr/bin/env python3
"""Tells snakemake whether a SLURM job is running, succeeded or failed.

Without it snakemake learns of a job's end only from marker files that the job
itself writes, and waits forever for a job that SLURM killed (time or memory
limit, a lost node). Asks scontrol first (the controller keeps a finished job
for MinJobAge seconds), then sacct where the cluster keeps accounting."""
import subprocess
import sys

RUNNING = {"PENDING", "CONFIGURING", "RUNNING", "COMPLETING", "SUSPENDED",
           "REQUEUED", "REQUEUE_FED", "REQUEUE_HOLD", "RESIZING", "SIGNALING",
           "STAGE_OUT", "STOPPED", "RESV_DEL_HOLD", "SPECIAL_EXIT"}


def ask(command):
    """The command's standard output, or None with its standard error."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as problem:
        return None, str(problem)
    return (done.stdout if done.returncode == 0 else None), done.stderr


def state_from_scontrol(job):
    answer, problem = ask(["scontrol", "show", "job", "--oneliner", job])
    for field in (answer or "").split():
        if field.startswith("JobState="):
            return field.split("=", 1)[1], False
    return None, "Invalid job id" in problem


def state_from_sacct(job):
    answer, _ = ask(["sacct", "--noheader", "--parsable2", "--allocations",
                     "--format=State", "--jobs", job])
    lines = (answer or "").split()
    return lines[0] if lines else None


def main():
    job = sys.argv[1].split(";")[0]  # sbatch --parsable may add ";cluster"
    state, forgotten = state_from_scontrol(job)
    state = state or state_from_sacct(job)
    if state is None and forgotten:
        # Ended longer ago than the controller keeps jobs, with no accounting to ask.
        print(f"SLURM job {job}: no longer known to the controller", file=sys.stderr)
        print("failed")
    elif state is None:
        # The controller may be busy or restarting: snakemake asks again.
        print("running")
    elif state in RUNNING:
        print("running")
    elif state == "COMPLETED":
        print("success")
    else:
        print(f"SLURM job {job}: {state}", file=sys.stderr)
        print("failed")


if __name__ == "__main__":
    main()
