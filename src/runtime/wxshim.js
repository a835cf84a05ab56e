
try {
    var window = getApp().globalData.window;
    var document = window.document;
}
catch (e){
    var window = window || global;
    var document = document || (window.document = {});
}
