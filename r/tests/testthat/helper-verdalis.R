# What the tests share: the command-line program beside the library the
# package was built against, the text of its result files made from the
# values verdalis_analyse returns, and small generated landscapes.

# A program of Verdalis: beside the library the package was built against,
# or on the PATH; NULL when there is none.
cli_program <- function(name = "verdalis") {
  installed <- file.path(verdalis:::.verdalis_prefix(), "bin", name)
  if (file.exists(installed)) return(installed)
  found <- Sys.which(name)
  if (nzchar(found)) found else NULL
}

skip_without_cli <- function() {
  if (is.null(cli_program())) skip("the verdalis program is not installed beside the library")
}

# A number as the program writes it: six significant digits, nan, inf.
cli_number <- function(x) {
  text <- sprintf("%g", x)
  text[is.na(x)] <- "nan"
  text[is.infinite(x)] <- ifelse(x[is.infinite(x)] > 0, "inf", "-inf")
  text
}

cli_cells <- function(column) if (is.integer(column)) as.character(column) else cli_number(column)

# A table as its result file holds it: a header, every cell followed by a tab.
cli_table <- function(table) {
  rows <- do.call(paste0, lapply(table, function(column) paste0(cli_cells(column), "\t")))
  paste0(paste0(names(table), "\t", collapse = ""), "\n", paste0(rows, "\n", collapse = ""))
}

# components.txt has a header without a trailing tab; the pair lists have
# no header at all.
cli_lines <- function(table, header = FALSE) {
  cells <- do.call(paste, c(lapply(table, cli_cells), sep = "\t"))
  paste0(if (header) paste0(paste(names(table), collapse = "\t"), "\n"), paste0(cells, "\n", collapse = ""))
}

cli_overall <- function(overall) paste0(names(overall), "\t", cli_number(overall), "\n", collapse = "")

# The program's run on the two tables, written as its input files in a
# fresh folder: its exit status and the text of every file it wrote.
cli_run <- function(nodes, links, arguments) {
  folder <- tempfile("verdalis-cli-")
  dir.create(folder)
  on.exit(unlink(folder, recursive = TRUE))
  write_table <- function(x, file) {
    utils::write.table(x, file.path(folder, file), sep = "\t", quote = FALSE, row.names = FALSE, col.names = FALSE)
  }
  write_table(nodes, "nodes.txt")
  write_table(links, "pairs.txt")
  old <- setwd(folder)
  on.exit(setwd(old), add = TRUE, after = FALSE)
  status <- system2(cli_program(), c("-nodeFile", "nodes.txt", "-conFile", "pairs.txt", arguments),
                    stdout = FALSE, stderr = FALSE)
  files <- setdiff(list.files(), c("nodes.txt", "pairs.txt"))
  texts <- lapply(files, function(file) readChar(file, file.size(file), useBytes = TRUE))
  list(status = status, files = stats::setNames(texts, files))
}

# Patches scattered in clusters on a square of `side` metres, the pairs
# within `within` metres listed both ways with their edge-to-edge distance
# (0.1 m), identifiers not in order.
random_landscape <- function(n, seed, side = 3000, within = 700, candidates = 0) {
  set.seed(seed)
  centres <- matrix(stats::runif(6, 0, side), ncol = 2)
  cluster <- sample(3, n, replace = TRUE)
  x <- centres[cluster, 1] + stats::rnorm(n, 0, side / 8)
  y <- centres[cluster, 2] + stats::rnorm(n, 0, side / 8)
  area <- round(stats::rlnorm(n, 0, 1), 2)
  d <- as.matrix(stats::dist(cbind(x, y)))
  d <- round(pmax(d - outer(sqrt(area * 1e4 / pi), sqrt(area * 1e4 / pi), "+"), 0), 1)
  ids <- sample(10 * n, n)
  keep <- which(d <= within & row(d) != col(d), arr.ind = TRUE)
  nodes <- data.frame(id = ids, attribute = area)
  if (candidates > 0) nodes$candidate <- as.integer(seq_len(n) > candidates)
  list(nodes = nodes, links = data.frame(from = ids[keep[, 1]], to = ids[keep[, 2]], value = d[keep]))
}

example_landscape <- function() {
  folder <- system.file("extdata", package = "verdalis")
  list(nodes = utils::read.table(file.path(folder, "nodes.txt"), col.names = c("id", "attribute")),
       links = utils::read.table(file.path(folder, "distances.txt"), col.names = c("from", "to", "value")))
}

thread_count <- function() length(list.files("/proc/self/task"))

# Patches on a grid 100 m apart, each pair within 250 m listed both ways: a
# landscape whose node importances take a while (a minute for 2,000 patches).
grid_landscape <- function(columns, rows) {
  n <- columns * rows
  x <- (seq_len(n) - 1) %% columns
  y <- (seq_len(n) - 1) %/% columns
  offsets <- expand.grid(dx = -2:2, dy = -2:2)
  offsets <- offsets[offsets$dx^2 + offsets$dy^2 <= 6.25 & (offsets$dx != 0 | offsets$dy != 0), ]
  from <- rep(seq_len(n), each = nrow(offsets))
  tx <- x[from] + offsets$dx
  ty <- y[from] + offsets$dy
  keep <- tx >= 0 & tx < columns & ty >= 0 & ty < rows
  list(nodes = data.frame(id = seq_len(n), attribute = 1 + (seq_len(n) - 1) %% 7),
       links = data.frame(from = from[keep], to = ty[keep] * columns + tx[keep] + 1L,
                          value = 100 * sqrt(offsets$dx^2 + offsets$dy^2)[rep(seq_len(nrow(offsets)), n)][keep]))
}
