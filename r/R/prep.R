verdalis_prep <- function(layer, max_distance = NULL, id = NULL, attribute = NULL, area = c("ha", "m2", "km2"),
                          where = NULL, dissolve = FALSE, centroid = FALSE, decimals = 1, to = NULL,
                          study_area = NULL, threads = 0, progress = interactive()) {
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
  reporter <- progress_reporter(progress)
  on.exit(reporter$close(), add = TRUE)
  out <- .verdalis_prep_run(arguments, reporter$update)
  reporter$close(complete = is.null(out$failure))
  if (!is.null(out$failure)) refuse(out$message, class = out$failure)
  for (line in out$warnings) warn(line)
  # The library gives each number as verdalis reads it from the file, in
  # single precision; here it has the decimals the file writes, which
  # verdalis_analyse turns back into the same single-precision number.
  out$nodes$attribute <- round(out$nodes$attribute, 4)
  out$links$value <- round(out$links$value, decimals)
  out$report <- strsplit(out$report, "\n")[[1]]
  out[c("nodes", "links", "all", "land_area", "report")]
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

