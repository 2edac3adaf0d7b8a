verdalis_prep <- function(layer, max_distance) stop("not yet")
