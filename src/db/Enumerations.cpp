// Placeholder: the named enumerations are registered here at load.
