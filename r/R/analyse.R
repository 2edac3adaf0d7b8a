verdalis_indices <- c("NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC", "F", "AWF", "PC", "BCPC", "A")
binary_indices <- c("NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC")
probabilistic_indices <- c("F", "AWF", "PC", "BCPC")

verdalis_analyse <- function(nodes, links, indices = c("PC", "IIC"), conf_adj = NULL, conf_prob = NULL,
                             land_area = NULL, type = c("dist", "prob", "adj"), all = FALSE, symmetric = FALSE,
                             pc_heur = NULL, only_overall = FALSE, removal = FALSE, improvement = FALSE,
                             max_value = NULL, change = FALSE, components = FALSE, link_list = FALSE,
                             direct_probabilities = FALSE, maximum_product_probabilities = FALSE,
                             threads = 0, precision = c("double", "single"), reference = FALSE, dense = FALSE,
                             plan_only = FALSE, id = "id", attribute = "attribute", candidate = "candidate",
                             progress = interactive(), verbose = FALSE, pc_drops = FALSE) {
  type <- match.arg(type)
  precision <- match.arg(precision)
  node_arrays <- node_table(nodes, id, attribute, candidate)
  pairs <- pair_table(links, node_arrays$id, change)
  if (pairs$every_pair) all <- TRUE
  options <- analysis_options(
    indices = indices, conf_adj = conf_adj, conf_prob = conf_prob, land_area = land_area, type = type,
    pc_heur = pc_heur, only_overall = only_overall, removal = removal, improvement = improvement,
    max_value = max_value, change = change, components = components, link_list = link_list,
    direct_probabilities = direct_probabilities, maximum_product_probabilities = maximum_product_probabilities,
    threads = threads, precision = precision, reference = reference, dense = dense, plan_only = plan_only,
    pc_drops = pc_drops
  )
  reading <- list(type = type, all = flag(all, "all"), symmetric = flag(symmetric, "symmetric"),
                  nodes_name = "nodes", pairs_name = "links")
  reporter <- progress_reporter(progress)
  on.exit(reporter$close(), add = TRUE)
  out <- .verdalis_run(node_arrays, pairs$arrays, reading, options, reporter$update, flag(verbose, "verbose"))
  reporter$close(complete = is.null(out$failure))
  if (!is.null(out$failure)) refuse(r_option_names(sub("\n$", "", out$message)), class = out$failure)
  results_of(out)
}

# The node table as the library takes it: integer identifiers and marks,
# attributes as numbers. An sf layer without an attribute column gives the
# area of each patch in hectares.
node_table <- function(nodes, id, attribute, candidate) {
  if (!is.data.frame(nodes)) refuse("nodes must be a data frame or an sf layer, with columns ", id, " and ", attribute)
  spatial <- inherits(nodes, "sf")
  columns <- names(nodes)
  if (!id %in% columns) refuse("nodes has no column ", id, " (the patch identifiers); give its name as id = \"...\"")
  if (!attribute %in% columns && !spatial)
    refuse("nodes has no column ", attribute, " (the patch attributes, such as areas); give its name as ",
           "attribute = \"...\"")
  values <- if (attribute %in% columns) nodes[[attribute]] else patch_hectares(nodes)
  list(
    id = identifiers(nodes[[id]], paste0("nodes$", id)),
    attribute = numbers(values, paste0("nodes$", attribute)),
    candidate = if (candidate %in% columns) identifiers(nodes[[candidate]], paste0("nodes$", candidate)),
    labels = c(id = paste0("nodes$", id), candidate = paste0("nodes$", candidate))
  )
}

patch_hectares <- function(layer) {
  as.numeric(units::set_units(sf::st_area(layer), "ha", mode = "standard"))
}

# The pair table, or a square matrix of values (every ordered pair, as
# sf::st_distance gives them for the patches in node order).
pair_table <- function(links, ids, change) {
  if (is.matrix(links)) return(pair_matrix(links, ids))
  if (!is.data.frame(links)) refuse("links must be a data frame with columns from, to and value, or a square matrix")
  missing <- setdiff(c("from", "to", "value", if (isTRUE(change)) "alternative"), names(links))
  if (length(missing) > 0)
    refuse("links has no column ", paste(missing, collapse = " or "),
           if ("alternative" %in% missing) " (change = TRUE needs the alternative value of every pair)")
  arrays <- list(
    from = identifiers(links$from, "links$from"),
    to = identifiers(links$to, "links$to"),
    value = numbers(links$value, "links$value"),
    alternative = if (isTRUE(change)) numbers(links$alternative, "links$alternative"),
    labels = c(from = "links$from", to = "links$to")
  )
  list(arrays = arrays, every_pair = FALSE)
}

pair_matrix <- function(links, ids) {
  n <- length(ids)
  if (nrow(links) != n || ncol(links) != n)
    refuse("links is a ", nrow(links), " x ", ncol(links), " matrix; a matrix of values needs a row and a column ",
           "for each of the ", n, " patches, in the order of nodes")
  values <- matrix(as.numeric(links), n, n)
  off <- t(row(values) != col(values))
  values <- t(values)[off]
  list(arrays = list(from = rep(ids, each = n - 1), to = rep(ids, n)[off], value = numbers(values, "links"),
                     alternative = NULL, labels = c(from = "the identifiers", to = "the identifiers")),
       every_pair = TRUE)
}

# Whole numbers: integer (or logical) vectors go to the library as they are;
# a double vector is converted once there, each value checked to be whole.
identifiers <- function(x, what) {
  if (!(is.numeric(x) || is.logical(x)) || is.factor(x))
    refuse(what, " must hold whole numbers; it is ", class(x)[1])
  no_value(x, what)
  x
}

numbers <- function(x, what) {
  if (inherits(x, "units")) x <- as.numeric(x)
  if (!is.numeric(x) || is.factor(x)) refuse(what, " must hold numbers; it is ", class(x)[1])
  no_value(x, what)
  x
}

no_value <- function(x, what) {
  if (!anyNA(x)) return(invisible())
  bad <- which(is.na(x))
  refuse(what, " has no value (NA) in row ", bad[1], more(bad), ": every row needs one")
}

more <- function(rows) if (length(rows) > 1) paste0(" (and ", length(rows) - 1, " more)") else ""

flag <- function(x, what) {
  if (!is.logical(x) || length(x) != 1 || is.na(x)) refuse(what, " must be TRUE or FALSE")
  x
}

number <- function(x, what, default = 0) {
  if (is.null(x)) return(default)
  if (!is.numeric(x) || length(x) != 1 || is.na(x)) refuse(what, " must be a single number")
  as.numeric(x)
}

# The options as the library takes them, after the checks that the command
# line makes of its own: an option that needs another, outputs that the
# indices asked for cannot fill.
analysis_options <- function(indices, conf_adj, conf_prob, land_area, type, pc_heur, only_overall, removal,
                             improvement, max_value, change, components, link_list, direct_probabilities,
                             maximum_product_probabilities, threads, precision, reference, dense, plan_only,
                             pc_drops) {
  indices <- index_names(indices)
  requires <- c(BCIIC = "IIC", BCPC = "PC")
  for (index in intersect(names(requires), indices))
    if (!requires[[index]] %in% indices) refuse(index, " needs ", requires[[index]], " as well: add it to indices")
  binary <- any(indices %in% binary_indices)
  probabilistic <- any(indices %in% probabilistic_indices)
  if (binary && type != "adj" && is.null(conf_adj))
    refuse("the binary indices (", paste(intersect(indices, binary_indices), collapse = ", "), ") need conf_adj, ",
           "the link threshold: a distance, or with type = \"prob\" a probability (e.g. conf_adj = 1000)")
  if (probabilistic && type == "adj")
    refuse("binary links (type = \"adj\") give no probabilities: F, AWF, PC and BCPC need distances or probabilities")
  if (probabilistic && type == "dist" && is.null(conf_prob))
    refuse("the probabilistic indices on distances need conf_prob = c(D, P), the probability P at distance D ",
           "(e.g. conf_prob = c(1000, 0.5))")
  if (!is.null(conf_prob) && type != "dist")
    refuse("conf_prob turns distances into probabilities; with type = \"", type, "\" leave it out")
  if (!is.null(conf_prob) && (!is.numeric(conf_prob) || length(conf_prob) != 2 || anyNA(conf_prob)))
    refuse("conf_prob must be two numbers, a distance and the probability at it: c(1000, 0.5)")
  if (!is.null(pc_heur) && !"PC" %in% indices) refuse("pc_heur applies to PC only: add \"PC\" to indices")
  heur_all <- identical(pc_heur, "all")
  only_overall <- flag(only_overall, "only_overall")
  pc_drops <- flag(pc_drops, "pc_drops")
  if (pc_drops && (!"PC" %in% indices || only_overall))
    refuse("pc_drops gives the node importances of PC: add \"PC\" to indices, without only_overall")
  links <- c(removal = flag(removal, "removal"), improvement = flag(improvement, "improvement"),
             change = flag(change, "change"))
  if (!is.null(max_value) && !any(links[c("removal", "improvement")]))
    refuse("max_value selects the pairs of removal or improvement: set one of them to TRUE")
  if (only_overall && any(links)) {
    warn("only_overall computes the overall indices only: the link analyses (", paste(names(links)[links],
         collapse = ", "), ") are not run")
    links[] <- FALSE
  }
  outputs <- c(
    components = useful("components", flag(components, "components"), "NC" %in% indices, "NC"),
    link_list = useful("link_list", flag(link_list, "link_list"), binary, "a binary index"),
    direct_probabilities = useful("direct_probabilities", flag(direct_probabilities, "direct_probabilities"),
                                  probabilistic, "a probabilistic index"),
    maximum_product_probabilities = useful("maximum_product_probabilities",
                                           flag(maximum_product_probabilities, "maximum_product_probabilities"),
                                           "PC" %in% indices, "PC"))
  threads <- number(threads, "threads")
  if (threads < 0 || threads != trunc(threads)) refuse("threads must be a whole number, 0 or more")
  c(list(indices = indices, conf_adj = number(conf_adj, "conf_adj"),
         conf_prob = if (is.null(conf_prob)) c(0, 0) else as.numeric(conf_prob),
         land_area = number(land_area, "land_area"), pc_heur_all = heur_all,
         pc_heur = if (heur_all) 0 else number(pc_heur, "pc_heur"), only_overall = only_overall,
         max_value = number(max_value, "max_value"), threads = as.integer(threads), precision = precision,
         reference = flag(reference, "reference"), dense = flag(dense, "dense"),
         plan_only = flag(plan_only, "plan_only"), pc_drops = pc_drops),
    as.list(links), as.list(outputs))
}

index_names <- function(indices) {
  if (!is.character(indices)) refuse("indices must be a character vector such as c(\"PC\", \"IIC\")")
  known <- verdalis_indices[match(toupper(indices), toupper(verdalis_indices))]
  if (anyNA(known))
    refuse("unknown index ", indices[is.na(known)][1], "; the indices are ", paste(verdalis_indices, collapse = ", "))
  unique(known)
}

# An output that the indices cannot fill is dropped with a warning, as the
# command line drops its file.
useful <- function(name, asked, available, needed) {
  if (asked && !available) warn(name, " needs ", needed, " among the indices: no such table is returned")
  asked && available
}

results_of <- function(out) {
  for (line in out$messages) warn(r_option_names(sub("^(Warning|Error): ", "", line)))
  if (out$reading_problems > 0)
    warn(out$reading_problems, if (out$reading_problems == 1) " value" else " values",
         " of the input could not be used (see the warnings above): the results are invalid")
  out$route <- strsplit(out$route, "\n")[[1]]
  tables <- setdiff(names(out), c("route", "messages", "reading_problems"))
  structure(c(out[tables], out[c("route", "messages", "reading_problems")]), class = "verdalis_results")
}

# The library's messages name the command line's options; here they name
# the arguments of verdalis_analyse.
r_option_names <- function(text) {
  names <- c("-landArea" = "land_area", "-confAdj" = "conf_adj", "-confProb" = "conf_prob",
             "-pcHeur" = "pc_heur", "-symmetric" = "symmetric = TRUE", "-removal" = "removal",
             "-improvement" = "improvement", "-change" = "change", "-dense" = "dense = TRUE",
             "-reference" = "reference = TRUE", "-simple" = "precision = \"single\"")
  for (option in names(names)) text <- gsub(paste0(option, "\\b"), names[[option]], text)
  text
}

refuse <- function(..., class = "verdalis_input_refused") {
  message <- paste0(...)
  stop(structure(class = c(class, "verdalis_error", "error", "condition"),
                 list(message = message, call = NULL)))
}

warn <- function(...) {
  warning(structure(class = c("verdalis_warning", "warning", "condition"),
                    list(message = paste0(...), call = NULL)))
}

# The overall indices and the size of every table, not their rows.
print.verdalis_results <- function(x, ...) {
  cat("Overall indices:\n")
  print(x$overall)
  for (table in setdiff(names(x), c("overall", "route", "messages", "reading_problems")))
    cat(sprintf("%s: %d rows (%s)\n", table, nrow(x[[table]]),
                paste(utils::head(names(x[[table]]), 6), collapse = ", ")))
  if (x$reading_problems > 0)
    cat(sprintf("The input had %d reading problem%s: the results are invalid\n", x$reading_problems,
                if (x$reading_problems == 1) "" else "s"))
  invisible(x)
}
