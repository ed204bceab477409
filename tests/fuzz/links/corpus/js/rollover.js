img.src = "a.gif";
if (x) { b.src='b\'c.gif'; }
function f() { c.src="c.gif"; }
document.write("<img src=\"d.gif\">");
