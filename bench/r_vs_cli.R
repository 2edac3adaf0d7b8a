# The R package against the program, side by side: the same landscape and
# options through `verdalis` (reading the files, writing the results) and
# through verdalis_analyse() on data frames in a fresh R session,
# alternately, each run in a process of its own. For each it gives the wall
# time, the processor time (every thread) and the peak memory (the program's
# from /usr/bin/time; for R the peak of the call alone above the memory
# before it, beside what R, the tables and the arrays the library reads
# take), and it checks that the overall indices are the same text.
#
#   Rscript bench/r_vs_cli.R [build folder] [runs]
#
# R must find the installed package (R_LIBS). Targets: S1 (100,000 patches
# within 2500 m on a side of 1,200 km, -NC -IIC -PC -pcHeur 0.005
# onlyoverall; README, "Large landscapes") and target 2 (1000 patches, every
# pair, -IIC -PC, node importances; docs/engine-and-speed.md), both with
# -confAdj 1000 -confProb 1000 0.5 and the generator's seed 17. Inputs go to
# $VERDALIS_BENCH_DIR or /tmp/verdalis-bench, named as the other
# benchmarks', and are reused.

arguments <- commandArgs(TRUE)
build <- normalizePath(if (length(arguments) >= 1) arguments[1] else "build")
runs <- if (length(arguments) >= 2) as.integer(arguments[2]) else 3
folder <- Sys.getenv("VERDALIS_BENCH_DIR", "/tmp/verdalis-bench")
dir.create(folder, showWarnings = FALSE, recursive = TRUE)

targets <- list(
  S1 = list(n = 100000, within = 2500, indices = c("NC", "IIC", "PC"), pc_heur = 0.005, only_overall = TRUE),
  "target 2" = list(n = 1000, within = 0, indices = c("IIC", "PC"), pc_heur = NULL, only_overall = FALSE)
)

inputs <- function(target) {
  tag <- if (target$within > 0) sprintf("%d_within%d", target$n, target$within) else sprintf("%d_full", target$n)
  files <- file.path(folder, c(sprintf("nodes_%s.txt", tag), sprintf("connections_%s.txt", tag)))
  if (!file.exists(files[2])) {
    shape <- if (target$within > 0) c("--within", target$within, "--side", 12 * target$n) else "--full"
    status <- system2(file.path(build, "gen_landscape"), c("--nodes", target$n, "--seed", 17, "--out-nodes",
                                                          files[1], "--out-connections", files[2], shape))
    if (status != 0) stop("gen_landscape failed")
  }
  files
}

command_line <- function(files, target) {
  c("-nodeFile", files[1], "-conFile", files[2], "-t", "dist", if (target$within > 0) "notall" else "all",
    paste0("-", target$indices), "-confAdj", "1000", "-confProb", "1000", "0.5",
    if (!is.null(target$pc_heur)) c("-pcHeur", target$pc_heur), if (target$only_overall) "onlyoverall")
}

# The program in a fresh folder: wall, processor time and its own peak.
program_run <- function(files, target) {
  run <- tempfile("r-vs-cli-")
  dir.create(run)
  on.exit(unlink(run, recursive = TRUE))
  measures <- file.path(run, "time.txt")
  old <- setwd(run)
  on.exit(setwd(old), add = TRUE, after = FALSE)
  status <- system2("/usr/bin/time", c("-f", "'%e %U %S %M'", "-o", measures, file.path(build, "verdalis"),
                                       command_line(files, target)), stdout = FALSE, stderr = FALSE)
  if (status != 0) stop("verdalis ended with status ", status)
  m <- scan(measures, quiet = TRUE)
  list(wall = m[1], cpu = m[2] + m[3], peak = m[4] * 1024,
       overall = readChar("overall_indices.txt", file.size("overall_indices.txt")))
}

# The R side, in a child session: reads the files, then times the call.
child <- '
status <- function(field) {
  line <- grep(paste0("^", field), readLines("/proc/self/status"), value = TRUE)
  as.numeric(strsplit(line, "[[:space:]]+")[[1]][2]) * 1024
}
job <- readRDS(commandArgs(TRUE)[1])
library(verdalis)
start <- status("VmRSS:")
nodes <- read.table(job$files[1], col.names = c("id", "attribute"), colClasses = c("integer", "numeric"))
links <- read.table(job$files[2], col.names = c("from", "to", "value"),
                    colClasses = c("integer", "integer", "numeric"))
invisible(gc())
before <- status("VmRSS:")
writeLines("5", "/proc/self/clear_refs")  # the peak so far was reading the tables
clock <- proc.time()
r <- suppressWarnings(  # the numerators only, as the program writes them without -landArea
  verdalis_analyse(nodes, links, indices = job$indices, conf_adj = 1000, conf_prob = c(1000, 0.5),
                   all = job$within == 0, pc_heur = job$pc_heur, only_overall = job$only_overall,
                   progress = FALSE))
clock <- proc.time() - clock
# What the library reads: the identifiers as they are, the numbers as floats.
arrays <- 4 * (nrow(nodes) * 2 + nrow(links) * 3)
saveRDS(list(wall = clock[["elapsed"]], cpu = clock[["user.self"]] + clock[["sys.self"]], peak = status("VmHWM:"),
             before = before, start = start, arrays = arrays,
             overall = paste0(names(r$overall), "\\t", sprintf("%g", r$overall), "\\n", collapse = "")),
        job$out)
'

r_run <- function(files, target) {
  job <- tempfile(fileext = ".rds")
  out <- tempfile(fileext = ".rds")
  script <- tempfile(fileext = ".R")
  on.exit(unlink(c(job, out, script)))
  saveRDS(c(target, list(files = files, out = out)), job)
  writeLines(child, script)
  status <- system2(file.path(R.home("bin"), "Rscript"), c(script, job))
  if (status != 0) stop("the R session ended with status ", status)
  readRDS(out)
}

mb <- function(bytes) bytes / 1e6
for (name in names(targets)) {
  target <- targets[[name]]
  files <- inputs(target)
  cat(name, ": verdalis ", paste(command_line(files, target), collapse = " "), "\n", sep = "")
  for (k in seq_len(runs)) {
    p <- program_run(files, target)
    cat(sprintf("  run %d: verdalis           %7.2f s, processor %7.2f s, peak %7.1f MB\n", k, p$wall, p$cpu,
                mb(p$peak)))
    r <- r_run(files, target)
    cat(sprintf(paste0("         verdalis_analyse() %7.2f s, processor %7.2f s, peak %7.1f MB above the %.1f MB ",
                       "before the call (R %.1f MB, the tables read %.1f MB, the arrays it reads %.1f MB);\n",
                       "         call/program %.3f in wall time, %.3f in processor time; overall indices %s\n"),
                r$wall, r$cpu, mb(r$peak - r$before), mb(r$before), mb(r$start), mb(r$before - r$start),
                mb(r$arrays), r$wall / p$wall, r$cpu / p$cpu,
                if (identical(r$overall, p$overall)) "the same" else "DIFFERENT"))
  }
}
