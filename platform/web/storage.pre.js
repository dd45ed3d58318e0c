// Mounts the browser's IndexedDB at /persist and fills it before the game starts, so the game
// finds its stored settings at once.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdir('/persist');
  FS.mount(IDBFS, {}, '/persist');
  addRunDependency('zarvok-storage');
  FS.syncfs(true, function (error) {
    if (error) console.warn('Zarvok: no stored settings: ' + error);
    removeRunDependency('zarvok-storage');
  });
});
