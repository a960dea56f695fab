#include "analyses/rank_distributions.h"
