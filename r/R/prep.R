verdalis_prep <- function(layer, max_distance = NULL, id = NULL, attribute = NULL, area = c("ha", "m2", "km2"),
                          where = NULL, dissolve = FALSE, centroid = FALSE, decimals = 1, to = NULL,
                          study_area = NULL, threads = 0) {
  area <- match.arg(area)
  folder <- tempfile("verdalis-prep-")
  dir.create(folder)
  on.exit(unlink(folder, recursive = TRUE), add = TRUE)
  arguments <- c(
    layer_file(layer, folder, "patches"),
    option("--id", id), option("--attribute", attribute), "--area", area, option("--where", where),
    if (flag(dissolve, "dissolve")) "--dissolve", if (flag(centroid, "centroid")) "--centroid",
    option("--max-distance", number(max_distance, "max_distance", NULL)),
    "--decimals", number(decimals, "decimals"), option("--to", to),
    option("--study-area", if (!is.null(study_area)) layer_file(study_area, folder, "study_area")),
    "--threads", number(threads, "threads")
  )
  prepared <- run_prep(arguments, folder)
  for (line in prepared$warnings) warn(line)
  list(nodes = prepared$nodes, links = prepared$links, all = is.null(max_distance), land_area = prepared$land_area,
       report = prepared$report)
}

option <- function(name, value) if (!is.null(value)) c(name, as.character(value))

# An sf layer is handed over as a GeoPackage in the call's own folder; a
# character string names a layer file that GDAL reads as it is.
layer_file <- function(layer, folder, name) {
  if (is.character(layer) && length(layer) == 1) {
    if (!file.exists(layer)) refuse("the layer file ", layer, " does not exist")
    return(normalizePath(layer))
  }
  if (!inherits(layer, "sf")) refuse("the layer must be an sf layer of polygons, or the name of a layer file")
  file <- file.path(folder, paste0(name, ".gpkg"))
  sf::st_write(layer, file, quiet = TRUE)
  file
}

# verdalis-prep run on the layer, its two files read back: the values
# verdalis would read from them.
run_prep <- function(arguments, folder) {
  program <- companion_program("verdalis-prep")
  nodes <- file.path(folder, "nodes.txt")
  pairs <- file.path(folder, "pairs.txt")
  report <- file.path(folder, "report.txt")
  told <- file.path(folder, "told.txt")
  status <- .verdalis_run_program(c(program, arguments, "--nodes", nodes, "--connections", pairs), report, told)
  told <- sub("^verdalis-prep: (warning: )?", "", readLines(told))
  told <- told[!grepl("% done|: done in ", told)]
  # The lines about the files, which are gone when this call returns, are left out.
  report <- readLines(report)
  if (status %in% c(130, 143)) .verdalis_interrupt()
  if (status != 0) {
    refuse(paste(c(told, if (length(told) == 0) report), collapse = "\n"),
           class = if (status == 1 || status == 2) "verdalis_input_refused" else "verdalis_error")
  }
  next_command <- grep("-landArea", report, value = TRUE)
  land_area <- if (length(next_command) > 0) as.numeric(sub(".*-landArea ([^ ]+).*", "\\1", next_command[1])) else NULL
  report <- report[!grepl("^(Wrote |Next:|  verdalis )", report)]
  list(nodes = read_columns(nodes, c(id = "integer", attribute = "numeric")),
       links = read_columns(pairs, c(from = "integer", to = "integer", value = "numeric")),
       land_area = land_area, report = report, warnings = told)
}

read_columns <- function(file, classes) {
  if (file.size(file) == 0) return(as.data.frame(lapply(classes, vector)))
  utils::read.table(file, col.names = names(classes), colClasses = unname(classes))
}

# A program of Verdalis: beside the library the package was built against,
# or on the PATH.
companion_program <- function(name) {
  installed <- file.path(.verdalis_prefix(), "bin", name)
  if (file.exists(installed)) return(installed)
  found <- Sys.which(name)
  if (nzchar(found)) return(found)
  refuse(name, " was not found in ", dirname(installed), " nor on the PATH: it is built with Verdalis when GDAL, ",
         "GEOS and cairo are present (Debian: apt-get install libgdal-dev libgeos-dev libcairo2-dev), then ",
         "installed by make install", class = "verdalis_error")
}
