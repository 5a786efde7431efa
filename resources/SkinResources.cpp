// The skins' resources are compiled into this library; nothing else lives here.
