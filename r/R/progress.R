# How a run shows its progress: `update(phase, done, total)` is called from
# the wait for the run about every tenth of a second while the phase or its
# count changes, and `close(complete)` once the run has ended, however it
# ended (complete: it ended with its results).
progress_reporter <- function(progress) {
  nothing <- function(complete = FALSE) invisible()
  if (is.function(progress)) return(list(update = progress, close = nothing))
  if (!isTRUE(progress) && !isFALSE(progress))
    refuse("progress must be TRUE, FALSE or a function(phase, done, total)")
  if (!progress) return(list(update = NULL, close = nothing))
  console_progress(if (requireNamespace("cli", quietly = TRUE)) "cli" else "txt")
}

# A bar per phase on the console: cli's where it is installed (shown after
# its first two seconds, like the command line's progress lines), else
# utils::txtProgressBar. A phase that cannot count its work shows its name.
console_progress <- function(style = c("cli", "txt")) {
  style <- match.arg(style)
  phase <- ""
  bar <- NULL
  size <- 0
  here <- environment()
  open <- function(name, total) {
    if (style == "cli")
      return(cli::cli_progress_bar(name = name, total = if (total > 0) total else NA, .auto_close = FALSE,
                                   .envir = here))
    cat(name, "\n", sep = "")
    if (total > 0) utils::txtProgressBar(min = 0, max = total, style = 3)
  }
  move <- function(done) {
    if (is.null(bar)) return()
    if (style == "cli") cli::cli_progress_update(id = bar, set = done, .envir = here)
    else utils::setTxtProgressBar(bar, done)
  }
  # A phase that ended is shown whole before its bar goes.
  close <- function(complete = FALSE) {
    if (complete) move(size)
    if (!is.null(bar)) {
      if (style == "cli") cli::cli_progress_done(id = bar, .envir = here) else base::close(bar)
    }
    bar <<- NULL
    phase <<- ""
    invisible()
  }
  update <- function(name, done, total) {
    if (!identical(name, phase)) {
      close(complete = TRUE)
      phase <<- name
      size <<- total
      if (nzchar(name)) bar <<- open(name, total)
    }
    move(done)
  }
  list(update = update, close = close)
}
