# verdalis_analyse against the command-line program: the values it returns,
# written as the program writes them, are the bytes of the program's files
# on the same landscape and options (the bundled example and generated
# landscapes; distances, probabilities and links; every pair or some;
# candidates, link analyses, single precision).

result_files <- c(nodes = "node_importances.txt", removal = "link_importances_removal.txt",
                  improvement = "link_importances_improvement.txt", change = "link_importances_change.txt",
                  components = "components.txt", link_list = "links.txt",
                  direct_probabilities = "direct_probabilities.txt",
                  maximum_product_probabilities = "maximum_product_probabilities.txt")

text_of <- function(name, table) {
  if (name %in% c("nodes", "removal", "improvement", "change")) return(cli_table(table))
  cli_lines(table, header = name == "components")
}

# r_nodes: the node table as R gives it, when it is not written as such.
expect_same_as_cli <- function(land, cli_arguments, ..., r_nodes = land$nodes) {
  cli <- cli_run(land$nodes, land$links, cli_arguments)
  expect_true(cli$status %in% c(0, 3))
  r <- verdalis_analyse(r_nodes, land$links, ...)
  expect_identical(cli_overall(r$overall), cli$files[["overall_indices.txt"]])
  tables <- intersect(names(result_files), names(r))
  for (name in tables) expect_identical(text_of(name, r[[name]]), cli$files[[result_files[[name]]]], label = name)
  # Every per-run table the program wrote was compared.
  expect_setequal(intersect(names(cli$files), result_files), result_files[tables])
  expect_identical(r$reading_problems > 0, cli$status == 3)
  invisible(r)
}

test_that("the bundled example gives the program's files, every table asked", {
  skip_without_cli()
  r <- expect_same_as_cli(
    example_landscape(),
    c("-t", "dist", "all", "-NC", "-NL", "-H", "-CCP", "-LCP", "-IIC", "-BC", "-BCIIC", "-F", "-AWF", "-PC",
      "-BCPC", "-A", "-confAdj", "1000", "-confProb", "1000", "0.5", "-landArea", "14400", "-removal",
      "-improvement", "maxValue", "500", "-wcomp", "-wlinks", "-wprobdir", "-wprobmax"),
    indices = c("NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC", "F", "AWF", "PC", "BCPC", "A"),
    conf_adj = 1000, conf_prob = c(1000, 0.5), land_area = 14400, all = TRUE, removal = TRUE,
    improvement = TRUE, max_value = 500, components = TRUE, link_list = TRUE, direct_probabilities = TRUE,
    maximum_product_probabilities = TRUE)
  expect_equal(r$overall[["EC(PC)"]], 93.6373, tolerance = 1e-6)
  expect_type(r$nodes$Node, "integer")
  expect_identical(nrow(r$removal), 780L)
})

test_that("generated landscapes give the program's files", {
  skip_without_cli()
  land <- random_landscape(70, seed = 3, candidates = 8)
  land$links$alternative <- round(land$links$value * 0.5, 1)
  # Candidates (marked TRUE and FALSE in R), a link change and a PC
  # heuristic, in the sparse form.
  marks <- land$nodes
  marks$candidate <- as.logical(marks$candidate)
  expect_same_as_cli(land, c("-add", "-PC", "-IIC", "-confAdj", "400", "-confProb", "500", "0.3", "-pcHeur",
                             "0.001", "-landArea", "1e5", "-change"),
                     indices = c("PC", "IIC"), conf_adj = 400, conf_prob = c(500, 0.3), pc_heur = 0.001,
                     land_area = 1e5, change = TRUE, r_nodes = marks)
  # Each pair listed one way, read both ways; single precision, one thread.
  one_way <- random_landscape(50, seed = 4)
  one_way$links <- one_way$links[one_way$links$from < one_way$links$to, ]
  expect_same_as_cli(one_way, c("-symmetric", "-NC", "-PC", "-confAdj", "500", "-confProb", "700", "0.5",
                                "-landArea", "1e5", "-simple", "-threads", "1", "-removal", "-wcomp"),
                     indices = c("NC", "PC"), conf_adj = 500, conf_prob = c(700, 0.5), land_area = 1e5,
                     symmetric = TRUE,
                     precision = "single", threads = 1, removal = TRUE, components = TRUE)
  # Probabilities, with identifiers given as doubles; then binary links,
  # with the straightforward measure.
  prob <- random_landscape(40, seed = 5)
  prob$nodes$id <- as.numeric(prob$nodes$id)
  prob$links[c("from", "to")] <- lapply(prob$links[c("from", "to")], as.numeric)
  prob$links$value <- round(exp(-prob$links$value / 300), 4)
  expect_same_as_cli(prob, c("-t", "prob", "-PC", "-F", "-NC", "-confAdj", "0.2", "-landArea", "1e4", "-reference",
                             "-improvement"),
                     type = "prob", indices = c("PC", "F", "NC"), conf_adj = 0.2, land_area = 1e4, reference = TRUE,
                     improvement = TRUE)
  adj <- random_landscape(40, seed = 6)
  adj$links$value <- as.integer(adj$links$value < 300)
  expect_same_as_cli(adj, c("-t", "adj", "-NC", "-IIC", "-H", "-landArea", "500", "onlyoverall"),
                     type = "adj", indices = c("NC", "IIC", "H"), land_area = 500, only_overall = TRUE)
})

test_that("pc_drops gives the program's dPC to its digits, in parts that add up", {
  land <- random_landscape(60, seed = 9)
  run <- function(...) verdalis_analyse(land$nodes, land$links, indices = "PC", conf_prob = c(500, 0.5),
                                        land_area = 1e5, ...)
  plain <- run()
  drops <- run(pc_drops = TRUE)
  expect_identical(drops$overall, plain$overall)
  parts <- c("dPCintra", "dPCflux", "dPCconnector")
  for (column in c("dPC", parts)) expect_equal(drops$nodes[[column]], plain$nodes[[column]], tolerance = 1e-4)
  expect_false(identical(drops$nodes$dPC, plain$nodes$dPC))
  expect_equal(rowSums(drops$nodes[parts]), drops$nodes$dPC, tolerance = 1e-12)
  expect_error(run(pc_drops = TRUE, only_overall = TRUE), "pc_drops gives the node importances of PC",
               class = "verdalis_input_refused")
})

test_that("values that are not numbers and invalid input are those of the program's files", {
  skip_without_cli()
  # Patches of no area: every importance is 0 / 0.
  empty <- random_landscape(12, seed = 7)
  empty$nodes$attribute <- 0
  r <- expect_same_as_cli(empty, c("-PC", "-IIC", "-confAdj", "500", "-confProb", "500", "0.5", "-landArea", "100"),
                          indices = c("PC", "IIC"), conf_adj = 500, conf_prob = c(500, 0.5), land_area = 100)
  expect_true(is.nan(r$overall[["PCintra(%)"]]) && all(is.nan(r$nodes$dPC)))
  # A pair of a patch that the node table does not list: the program reads
  # on and exits with 3; R warns that the results are invalid.
  unknown <- random_landscape(20, seed = 8)
  unknown$links$from[3] <- 999999L
  warnings <- list()
  r <- withCallingHandlers(
    expect_same_as_cli(unknown, c("-PC", "-confProb", "500", "0.5", "-landArea", "1e4"),
                       indices = "PC", conf_prob = c(500, 0.5), land_area = 1e4),
    verdalis_warning = function(w) {
      warnings[[length(warnings) + 1]] <<- conditionMessage(w)
      invokeRestart("muffleWarning")
    })
  expect_gt(r$reading_problems, 0)
  expect_match(warnings[[length(warnings)]], "the results are invalid")
})

test_that("the C++ stream's default formatting is sprintf('%g'), with nan and inf", {
  expect_identical(cli_number(c(0.25, 2000, 1234567, 1e-05, 93.63725281, NaN, NA, Inf, -Inf, 0)),
                   c("0.25", "2000", "1.23457e+06", "1e-05", "93.6373", "nan", "nan", "inf", "-inf", "0"))
})
