// Marks the link of the page being shown in the list of contents.
function markCurrent() {
  var links = document.getElementsByTagName("a");
  for (var i = 0; i < links.length; i++)
    if (links[i].href == document.location.href) links[i].style.fontWeight = "bold";
}
window.onload = markCurrent;
