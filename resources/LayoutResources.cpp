// The layouts' and translations' resources are compiled into this library.
