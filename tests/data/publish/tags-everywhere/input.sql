INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 1, 'd mmm', 'h:nn am/pm', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<$WrenTitle> <$WrenFoo> <$WrenCookie>|<$WrenCookie>|<$wrensysdate>
<Wren>[<$wrentitle>|<$WrenAuthor>] <WrenHeader>{<$WrenDate> <$WrenEntry> <$WrenTime> <b>}</WrenHeader>(<$WrenID>|<$WrenExt>|<$WrenLink>|<$WrenFoo>|<$Wren<$WrenID>>|<$WrenSysTime>)
<$WrenEntry>
</Wren>suffix <$WrenTime>
');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc) VALUES (1, 1, 1, 1, 1, 'index.html', 'arcs.html', '@SITE@', 1, 'php', 0);
INSERT INTO Cookie (ID, Cookie) VALUES (1, 'first <i>cookie</i>'), (2, 'second cookie');
INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, '2002-03-11', '08:00:00', 'line one' || char(13, 10) || 'see <a href="arc20020303.<$WrenExt>#WrenID1">it</a> and <a href="arc20020310.<$WrenExt>#WrenID2">that</a> <$WrenDate>', 'ann', 'Morning');
INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, '2002-03-11', '13:30:00', 'no breaks here', NULL, '');
