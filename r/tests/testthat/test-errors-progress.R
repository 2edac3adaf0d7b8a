# What a caller sees besides the values: refused input and exhausted memory
# as conditions of their own classes, progress while a run moves, and an
# interrupt (or an error in the progress function) that stops the run
# without leaving a thread behind.

test_that("input that cannot be analysed is refused with a condition of its own", {
  land <- example_landscape()
  refused <- function(call, pattern) expect_error(call, pattern, class = "verdalis_input_refused")
  nc <- function(nodes = land$nodes, links = land$links, ...) {
    verdalis_analyse(nodes, links, indices = "NC", conf_adj = 1000, all = TRUE, ...)
  }
  refused(nc(land$nodes["id"]), "nodes has no column attribute")
  refused(nc(links = land$links[-4, ]), "every ordered pair")
  refused(nc(links = matrix(0, 3, 3)), "a 3 x 3 matrix")
  nodes <- land$nodes
  nodes$id[5] <- NA
  refused(nc(nodes), "nodes\\$id has no value \\(NA\\) in row 5")
  nodes$id[5] <- 5.5
  refused(nc(nodes), "whole numbers.*row 5 holds 5.5")
  refused(verdalis_analyse(land$nodes, land$links, indices = "PC", all = TRUE), "need conf_prob")
  refused(verdalis_analyse(land$nodes, land$links, indices = c("IIC", "BCPC"), conf_adj = 1), "BCPC needs PC")
  refused(verdalis_analyse(land$nodes, land$links, indices = "PCC"), "unknown index PCC")
  # The library's own checks, with the arguments named as here.
  refused(verdalis_analyse(land$nodes, land$links, indices = "PC", conf_prob = c(1000, 2), all = TRUE),
          "conf_prob 1000 2: the probability")
  expect_warning(verdalis_analyse(land$nodes, land$links, indices = "PC", conf_prob = c(1000, 0.5), all = TRUE,
                                  land_area = 14400, components = TRUE),
                 "components needs NC", class = "verdalis_warning")
})

test_that("a run that cannot fit is refused before it starts", {
  n <- 300000
  expect_error(verdalis_analyse(data.frame(id = seq_len(n), attribute = 1), data.frame(from = 1:2, to = 2:1, value = 1),
                                indices = "PC", conf_prob = c(100, 0.5), land_area = 1e6, dense = TRUE),
               "Not enough memory: this run needs at least .* without dense = TRUE", class = "verdalis_out_of_memory")
})

test_that("a matrix of distances and an sf layer give the values of the tables, joined back by identifier", {
  land <- example_landscape()
  asked <- list(indices = c("PC", "NC"), conf_adj = 1000, conf_prob = c(1000, 0.5), land_area = 14400)
  from_table <- do.call(verdalis_analyse, c(list(land$nodes, land$links, all = TRUE), asked))
  ids <- land$nodes$id
  distances <- matrix(0, length(ids), length(ids))
  distances[cbind(match(land$links$from, ids), match(land$links$to, ids))] <- land$links$value
  expect_identical(do.call(verdalis_analyse, c(list(land$nodes, distances), asked))[c("overall", "nodes")],
                   from_table[c("overall", "nodes")])

  skip_if_not_installed("sf")
  layer <- sf::st_read(system.file("extdata", "patches.geojson", package = "verdalis"), quiet = TRUE)
  r <- do.call(verdalis_analyse, c(list(layer, sf::st_distance(layer), id = "patch_id"), asked))
  joined <- merge(layer, r$nodes, by.x = "patch_id", by.y = "Node")
  expect_s3_class(joined, "sf")
  expect_identical(nrow(joined), nrow(layer))
  expect_equal(sum(r$nodes$dPC > 0), nrow(layer))
})

test_that("progress is reported while a run moves, and drawn as a bar", {
  grid <- grid_landscape(45, 45)
  seen <- list()
  verdalis_analyse(grid$nodes, grid$links, indices = "PC", conf_prob = c(100, 0.5), land_area = 1e6,
                   only_overall = TRUE, progress = function(phase, done, total) {
                     seen[[length(seen) + 1]] <<- data.frame(phase = phase, done = done, total = total)
                   })
  seen <- do.call(rbind, seen)
  overall <- seen[seen$phase == "Overall landscape", ]
  expect_gt(nrow(overall), 1)
  expect_true(all(overall$total == 2025) && all(diff(overall$done) > 0) && all(overall$done <= 2025))

  bar <- verdalis:::console_progress("txt")
  drawn <- capture.output({
    bar$update("Node removals", 0, 10)
    bar$update("Node removals", 10, 10)
    bar$update("", 0, 0)
    bar$close()
  })
  expect_identical(drawn[1], "Node removals")
  expect_match(paste(drawn, collapse = ""), "100%")
})

test_that("an interrupt, or an error of the progress function, stops the run and leaves no thread", {
  skip_if_not(dir.exists("/proc/self/task"))
  grid <- grid_landscape(45, 45)
  pc <- function(...) verdalis_analyse(grid$nodes, grid$links, indices = "PC", conf_prob = c(100, 0.5),
                                       land_area = 1e6, ...)
  threads <- thread_count()
  system(sprintf("(sleep 1; kill -INT %d)", Sys.getpid()), wait = FALSE)
  started <- Sys.time()
  expect_identical(tryCatch(pc(progress = FALSE), interrupt = function(e) "interrupted"), "interrupted")
  expect_lt(as.numeric(Sys.time() - started, units = "secs"), 10)
  expect_identical(thread_count(), threads)

  calls <- 0
  expect_error(pc(progress = function(...) if ((calls <<- calls + 1) == 5) stop("the bar broke")), "the bar broke")
  expect_identical(thread_count(), threads)
  # And the next run goes on.
  expect_s3_class(pc(only_overall = TRUE, progress = FALSE), "verdalis_results")
})

test_that("a run says how it was computed, and plan_only says it alone", {
  land <- example_landscape()
  pc <- function(links, ...) verdalis_analyse(land$nodes, links, indices = "PC", conf_prob = c(1000, 0.5),
                                              land_area = 14400, ...)
  expect_match(pc(land$links, all = TRUE)$route, "^Form: dense", all = FALSE)
  plan <- pc(land$links[land$links$value < 1000, ], plan_only = TRUE)
  expect_match(plan$route, "^Form: sparse", all = FALSE)
  expect_match(plan$route, "^Estimated peak memory", all = FALSE)
  expect_length(plan$overall, 0)
  expect_null(plan$nodes)
})
