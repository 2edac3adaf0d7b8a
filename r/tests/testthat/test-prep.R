# verdalis_prep: the tables of a layer of patches are those verdalis-prep
# writes for it, and an interrupt stops it without leaving a file or a
# thread behind.

skip_without_prep <- function() {
  skip_if_not_installed("sf")
  skip_if_not(verdalis:::.verdalis_gis_built(), "the library was installed without its GIS part")
}

test_that("an sf layer gives the tables of verdalis-prep's files", {
  skip_without_prep()
  file <- system.file("extdata", "patches.geojson", package = "verdalis")
  layer <- sf::st_read(file, quiet = TRUE)
  p <- verdalis_prep(layer, max_distance = 2000, id = "patch_id")
  folder <- tempfile()
  dir.create(folder)
  on.exit(unlink(folder, recursive = TRUE))
  skip_if(is.null(cli_program("verdalis-prep")))
  system2(cli_program("verdalis-prep"),
          c(file, "--id", "patch_id", "--max-distance", "2000", "--nodes", file.path(folder, "n.txt"),
            "--connections", file.path(folder, "c.txt")), stdout = FALSE)
  expect_identical(p$nodes, utils::read.table(file.path(folder, "n.txt"), col.names = c("id", "attribute")))
  expect_identical(p$links, utils::read.table(file.path(folder, "c.txt"), col.names = c("from", "to", "value")))
  expect_false(p$all)
  expect_equal(p$land_area, 5821.87)
  expect_error(verdalis_prep(layer, id = "ID"), "no field \"ID\"", class = "verdalis_input_refused")
  expect_length(list.files(tempdir(), "^verdalis-prep-"), 0)
})

test_that("an interrupt stops verdalis-prep and leaves nothing behind", {
  skip_without_prep()
  set.seed(1)
  points <- sf::st_as_sf(data.frame(x = stats::runif(4000, 0, 1e5), y = stats::runif(4000, 0, 1e5)),
                         coords = c("x", "y"), crs = 3067)
  layer <- sf::st_buffer(points, 30)
  system(sprintf("(sleep 2; kill -INT %d)", Sys.getpid()), wait = FALSE)
  started <- Sys.time()
  threads <- thread_count()
  expect_identical(tryCatch(verdalis_prep(layer, progress = FALSE), interrupt = function(e) "interrupted"),
                   "interrupted")
  expect_lt(as.numeric(Sys.time() - started, units = "secs"), 30)
  expect_length(list.files(tempdir(), "^verdalis-prep-"), 0)
  expect_identical(thread_count(), threads)
})
