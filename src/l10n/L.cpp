#include "l10n/L.h"

#include <array>
#include <initializer_list>
#include <optional>

namespace {

// Columns of every row below, in this order.
constexpr int languageCount = 7; // en, it, es, fr, de, zh, ja
using Texts = std::array<const char *, languageCount>;

enum class Key {
#define ILVEX_L_ENUM_KEY(key) key,
    ILVEX_L_PLAIN_TEXTS(ILVEX_L_ENUM_KEY)
#undef ILVEX_L_ENUM_KEY
        count
};

struct Row {
    Key key;
    Texts texts;
};

// "\u00A0" is a non-breaking space (French guillemets). Apostrophes are plain, as in the English texts.
constexpr Row plainTexts[] = {
    {Key::name, {"Name", "Nome", "Nombre", "Nom", "Name", "名称", "名前"}},
    {Key::automatic,
     {"Automatic (System)", "Automatica (lingua di sistema)", "Automático (sistema)", "Automatique (système)",
      "Automatisch (System)", "自动（系统）", "自動（システム）"}},
    {Key::languageLabel, {"Language", "Lingua", "Idioma", "Langue", "Sprache", "语言", "言語"}},
    {Key::cancel, {"Cancel", "Annulla", "Cancelar", "Annuler", "Abbrechen", "取消", "キャンセル"}},
    {Key::add, {"Add", "Aggiungi", "Añadir", "Ajouter", "Hinzufügen", "添加", "追加"}},
    {Key::aboutIlvex,
     {"About Ilvex", "Informazioni su Ilvex", "Acerca de Ilvex", "À propos d'Ilvex", "Über Ilvex",
      "关于 Ilvex", "Ilvex について"}},
    {Key::checkForUpdates,
     {"Check for Updates", "Controlla aggiornamenti", "Buscar actualizaciones", "Rechercher des mises à jour",
      "Nach Updates suchen", "检查更新", "アップデートを確認"}},
    {Key::sendFeedback,
     {"Send Feedback", "Invia feedback", "Enviar comentarios", "Envoyer un commentaire", "Feedback senden",
      "发送反馈", "フィードバックを送信"}},
    {Key::settings, {"Settings", "Impostazioni", "Ajustes", "Réglages", "Einstellungen", "设置", "設定"}},
    {Key::quit, {"Quit", "Esci", "Salir", "Quitter", "Beenden", "退出", "終了"}},
    {Key::checkAutomatically,
     {"Check Automatically", "Controlla automaticamente", "Comprobar automáticamente",
      "Vérifier automatiquement", "Automatisch prüfen", "自动检查", "自動的に確認"}},
    {Key::upToDate,
     {"You're up to date", "Hai già l'ultima versione", "Tienes la última versión", "Vous êtes à jour",
      "Du bist auf dem neuesten Stand", "已是最新版本", "最新の状態です"}},
    {Key::byMarrowby,
     {"by Marrowby Labs", "di Marrowby Labs", "de Marrowby Labs", "par Marrowby Labs", "von Marrowby Labs",
      "Marrowby Labs 出品", "開発元：Marrowby Labs"}},
    {Key::open, {"Open", "Apri", "Abrir", "Ouvrir", "Öffnen", "打开", "開く"}},
    {Key::renameEllipsis,
     {"Rename…", "Rinomina…", "Renombrar…", "Renommer…", "Umbenennen…", "重命名…", "名前を変更…"}},
    {Key::groupColor,
     {"Group color…", "Colore gruppo…", "Color del grupo…", "Couleur du groupe…", "Gruppenfarbe…",
      "群组颜色…", "グループの色…"}},
    {Key::folderColor,
     {"Folder color…", "Colore cartella…", "Color de la carpeta…", "Couleur du dossier…", "Ordnerfarbe…",
      "文件夹颜色…", "フォルダの色…"}},
    {Key::moveTo,
     {"Move to", "Sposta in", "Mover a", "Déplacer vers", "Verschieben nach", "移动到", "移動先"}},
    {Key::removeFromLauncher,
     {"Remove from launcher", "Togli dal launcher", "Quitar del lanzador", "Retirer du lanceur",
      "Aus dem Launcher entfernen", "从启动器移除", "ランチャーから削除"}},
    {Key::renameGroup,
     {"Rename group", "Rinomina gruppo", "Renombrar grupo", "Renommer le groupe", "Gruppe umbenennen",
      "重命名群组", "グループ名を変更"}},
    {Key::themeColor, {"Theme", "Tema", "Tema", "Thème", "Thema", "主题", "テーマ"}},
    {Key::defaultColor,
     {"Default", "Predefinito", "Predeterminado", "Par défaut", "Standard", "默认", "デフォルト"}},
    {Key::defaultGroupName, {"Group", "Gruppo", "Grupo", "Groupe", "Gruppe", "群组", "グループ"}},
    {Key::nameNewGroup,
     {"Name the new group", "Dai un nome al nuovo gruppo", "Ponle nombre al nuevo grupo",
      "Nommez le nouveau groupe", "Neue Gruppe benennen", "为新群组命名", "新しいグループに名前を付ける"}},
    {Key::back, {"Back", "Indietro", "Atrás", "Retour", "Zurück", "返回", "戻る"}},
    {Key::emptyGroup,
     {"Empty group\nAdd items with the ✎ button", "Gruppo vuoto\nAggiungi elementi con il pulsante ✎",
      "Grupo vacío\nAñade elementos con el botón ✎", "Groupe vide\nAjoutez des éléments avec le bouton ✎",
      "Leere Gruppe\nFüge Elemente über die Schaltfläche ✎ hinzu", "空群组\n使用 ✎ 按钮添加项目",
      "空のグループ\n✎ ボタンで項目を追加"}},
    {Key::emptyRing,
     {"Add items with ✎", "Aggiungi elementi con ✎", "Añade elementos con ✎", "Ajoutez des éléments avec ✎",
      "Elemente mit ✎ hinzufügen", "使用 ✎ 添加项目", "✎ で項目を追加"}},
    {Key::colorEllipsis, {"Color…", "Colore…", "Color…", "Couleur…", "Farbe…", "颜色…", "色…"}},
    {Key::deleteList,
     {"Delete list", "Elimina lista", "Eliminar lista", "Supprimer la liste", "Liste löschen", "删除列表",
      "リストを削除"}},
    {Key::deleteListEmptyFirst,
     {"Delete list (empty it first)", "Elimina lista (prima svuotala)", "Eliminar lista (vacíala primero)",
      "Supprimer la liste (videz-la d'abord)", "Liste löschen (zuerst leeren)", "删除列表（请先清空）",
      "リストを削除（先に空にしてください）"}},
    {Key::renameList,
     {"Rename list", "Rinomina lista", "Renombrar lista", "Renommer la liste", "Liste umbenennen",
      "重命名列表", "リスト名を変更"}},
    {Key::addAndManage,
     {"Add items & manage lists", "Aggiungi elementi e gestisci le liste",
      "Añadir elementos y gestionar listas", "Ajouter des éléments et gérer les listes",
      "Elemente hinzufügen & Listen verwalten", "添加项目并管理列表", "項目の追加とリストの管理"}},
    {Key::kindFolder, {"Folder", "Cartella", "Carpeta", "Dossier", "Ordner", "文件夹", "フォルダ"}},
    {Key::kindFile, {"File", "File", "Archivo", "Fichier", "Datei", "文件", "ファイル"}},
    {Key::kindLink, {"Link", "Link", "Enlace", "Lien", "Link", "链接", "リンク"}},
    {Key::kindSub, {"Sub", "Gruppo", "Grupo", "Groupe", "Gruppe", "群组", "グループ"}},
    {Key::subListsCantBeNested,
     {"Sub-lists can't be nested", "Non si può mettere un gruppo in un gruppo",
      "Los grupos no se pueden anidar", "Les groupes ne peuvent pas être imbriqués",
      "Gruppen lassen sich nicht verschachteln", "群组不能嵌套", "グループは入れ子にできません"}},
    {Key::closesColorPicker,
     {"Closes the color picker", "Chiude il selettore colore", "Cierra el selector de color",
      "Ferme le sélecteur de couleur", "Schließt die Farbauswahl", "关闭颜色选择器",
      "カラーピッカーを閉じます"}},
    {Key::opensColorPicker,
     {"Opens the color picker", "Apre il selettore colore", "Abre el selector de color",
      "Ouvre le sélecteur de couleur", "Öffnet die Farbauswahl", "打开颜色选择器",
      "カラーピッカーを開きます"}},
    {Key::newList,
     {"New list", "Nuova lista", "Nueva lista", "Nouvelle liste", "Neue Liste", "新建列表", "新規リスト"}},
    {Key::deleteCurrentList,
     {"Delete current list", "Elimina la lista attuale", "Eliminar la lista actual",
      "Supprimer la liste actuelle", "Aktuelle Liste löschen", "删除当前列表", "現在のリストを削除"}},
    {Key::emptyListBeforeDeleting,
     {"Empty the list before deleting", "Svuota la lista prima di eliminarla",
      "Vacía la lista antes de eliminarla", "Videz la liste avant de la supprimer",
      "Leere die Liste vor dem Löschen", "删除前请先清空列表", "削除する前にリストを空にしてください"}},
    {Key::nameOptional,
     {"Name (optional)", "Nome (facoltativo)", "Nombre (opcional)", "Nom (facultatif)", "Name (optional)",
      "名称（可选）", "名前（任意）"}},
    {Key::groupName,
     {"Group name", "Nome del gruppo", "Nombre del grupo", "Nom du groupe", "Gruppenname", "群组名称",
      "グループ名"}},
    {Key::listName,
     {"List name", "Nome della lista", "Nombre de la lista", "Nom de la liste", "Listenname", "列表名称",
      "リスト名"}},
    {Key::general, {"General", "Generale", "General", "Général", "Allgemein", "通用", "一般"}},
    {Key::showInMenuBar,
     {"Show in menu bar", "Mostra nella barra dei menu", "Mostrar en la barra de menús",
      "Afficher dans la barre des menus", "In der Menüleiste anzeigen", "在菜单栏中显示",
      "メニューバーに表示"}},
    {Key::hideDockIcon,
     {"Hide Dock icon", "Nascondi l'icona nel Dock", "Ocultar el icono del Dock", "Masquer l'icône du Dock",
      "Dock-Symbol ausblenden", "隐藏程序坞图标", "Dock アイコンを非表示"}},
    {Key::openAtLogin,
     {"Open at login", "Apri al login", "Abrir al iniciar sesión", "Ouvrir à l'ouverture de session",
      "Beim Anmelden öffnen", "登录时打开", "ログイン時に開く"}},
    {Key::hotCorner,
     {"Hot corner (top-right)", "Angolo attivo (in alto a destra)", "Esquina activa (arriba a la derecha)",
      "Coin actif (en haut à droite)", "Aktive Ecke (oben rechts)", "触发角（右上）",
      "ホットコーナー（右上）"}},
    {Key::shortcut,
     {"Shortcut", "Scorciatoia", "Atajo", "Raccourci", "Tastenkürzel", "快捷键", "ショートカット"}},
    {Key::launcherSounds,
     {"Launcher sounds", "Suoni del launcher", "Sonidos del lanzador", "Sons du lanceur", "Launcher-Töne",
      "启动器音效", "ランチャーのサウンド"}},
    {Key::launcherSize,
     {"Launcher size", "Dimensione del launcher", "Tamaño del lanzador", "Taille du lanceur",
      "Launcher-Größe", "启动器大小", "ランチャーのサイズ"}},
    {Key::saved,
     {"Saved!", "Salvato!", "¡Guardado!", "Enregistré !", "Gespeichert!", "已保存！", "保存しました！"}},
    {Key::saveOrder,
     {"Save order", "Salva ordine", "Guardar orden", "Enregistrer l'ordre", "Reihenfolge sichern", "保存顺序",
      "並び順を保存"}},
    {Key::restore, {"Restore", "Ripristina", "Restaurar", "Restaurer", "Wiederherstellen", "恢复", "復元"}},
    {Key::noSavedOrder,
     {"No saved order", "Nessun ordine salvato", "No hay ningún orden guardado", "Aucun ordre enregistré",
      "Keine gesicherte Reihenfolge", "没有已保存的顺序", "保存された並び順はありません"}},
    {Key::backup,
     {"Backup", "Backup", "Copia de seguridad", "Sauvegarde", "Sicherung", "备份", "バックアップ"}},
    {Key::exportListsEllipsis,
     {"Export lists…", "Esporta liste…", "Exportar listas…", "Exporter les listes…", "Listen exportieren…",
      "导出列表…", "リストを書き出す…"}},
    {Key::importListsEllipsis,
     {"Import lists…", "Importa liste…", "Importar listas…", "Importer des listes…", "Listen importieren…",
      "导入列表…", "リストを読み込む…"}},
    {Key::importLists,
     {"Import lists", "Importa liste", "Importar listas", "Importer des listes", "Listen importieren",
      "导入列表", "リストを読み込む"}},
    {Key::importFailed,
     {"Import failed", "Importazione non riuscita", "Error al importar", "Échec de l'importation",
      "Import fehlgeschlagen", "导入失败", "読み込みに失敗しました"}},
    {Key::importFailedMessage,
     {"The selected file could not be read as an Ilvex configuration.",
      "Impossibile leggere il file selezionato come configurazione di Ilvex.",
      "No se ha podido leer el archivo seleccionado como configuración de Ilvex.",
      "Le fichier sélectionné n'a pas pu être lu comme une configuration Ilvex.",
      "Die ausgewählte Datei konnte nicht als Ilvex-Konfiguration gelesen werden.",
      "无法将所选文件读取为 Ilvex 配置。", "選択したファイルを Ilvex の設定として読み込めませんでした。"}},
    {Key::replaceAllLists,
     {"Replace all my lists", "Sostituisci tutte le mie liste", "Reemplazar todas mis listas",
      "Remplacer toutes mes listes", "Alle meine Listen ersetzen", "替换我的所有列表",
      "すべてのリストを置き換える"}},
    {Key::addToMyLists,
     {"Add to my lists", "Aggiungi alle mie liste", "Añadir a mis listas", "Ajouter à mes listes",
      "Zu meinen Listen hinzufügen", "添加到我的列表", "自分のリストに追加"}},
    {Key::exportPanelTitle,
     {"Export Ilvex lists", "Esporta le liste di Ilvex", "Exportar listas de Ilvex",
      "Exporter les listes Ilvex", "Ilvex-Listen exportieren", "导出 Ilvex 列表",
      "Ilvex のリストを書き出す"}},
    {Key::importPanelTitle,
     {"Import Ilvex lists", "Importa liste di Ilvex", "Importar listas de Ilvex", "Importer des listes Ilvex",
      "Ilvex-Listen importieren", "导入 Ilvex 列表", "Ilvex のリストを読み込む"}},
    {Key::importPrompt, {"Import", "Importa", "Importar", "Importer", "Importieren", "导入", "読み込む"}},
    {Key::listFolders, {"Folders", "Cartelle", "Carpetas", "Dossiers", "Ordner", "文件夹", "フォルダ"}},
    {Key::folderDocuments,
     {"Documents", "Documenti", "Documentos", "Documents", "Dokumente", "文稿", "書類"}},
    {Key::folderMusic, {"Music", "Musica", "Música", "Musique", "Musik", "音乐", "ミュージック"}},
    {Key::folderMovies, {"Movies", "Filmati", "Películas", "Films", "Filme", "影片", "ムービー"}},
    {Key::folderDownloads,
     {"Downloads", "Download", "Descargas", "Téléchargements", "Downloads", "下载", "ダウンロード"}},
    {Key::folderPictures, {"Pictures", "Immagini", "Imágenes", "Images", "Bilder", "图片", "ピクチャ"}},
    {Key::folderHome,
     {"Home", "Home", "Carpeta personal", "Dossier personnel", "Persönlicher Ordner", "主文件夹", "ホーム"}},
    {Key::noTrayHost,
     {"No system tray was found, so Ilvex shows no tray icon. Alt+Z, the top-right corner and “ilvex "
      "--toggle” still show the ring, and “ilvex --settings” opens the settings. On GNOME, install and turn "
      "on the AppIndicator extension (package gnome-shell-extension-appindicator).",
      "Non è stata trovata un'area di notifica, quindi Ilvex non mostra la sua icona. Alt+Z, l'angolo in "
      "alto a destra e “ilvex --toggle” mostrano comunque l'anello, e “ilvex --settings” apre le "
      "impostazioni. Su GNOME installa e attiva l'estensione AppIndicator (pacchetto "
      "gnome-shell-extension-appindicator).",
      "No se ha encontrado una bandeja del sistema, así que Ilvex no muestra su icono. Alt+Z, la esquina "
      "superior derecha y “ilvex --toggle” siguen mostrando el anillo, y “ilvex --settings” abre los "
      "ajustes. En GNOME, instala y activa la extensión AppIndicator (paquete "
      "gnome-shell-extension-appindicator).",
      "Aucune zone de notification n'a été trouvée : Ilvex n'affiche donc pas son icône. Alt+Z, le coin "
      "supérieur droit et «\u00A0ilvex --toggle\u00A0» affichent toujours l'anneau, et «\u00A0ilvex "
      "--settings\u00A0» ouvre les réglages. Sous GNOME, installez et activez l'extension AppIndicator "
      "(paquet gnome-shell-extension-appindicator).",
      "Es wurde kein Infobereich gefunden, daher zeigt Ilvex kein Symbol. Alt+Z, die obere rechte Ecke und "
      "„ilvex --toggle“ zeigen den Ring trotzdem, „ilvex --settings“ öffnet die Einstellungen. Unter GNOME "
      "die Erweiterung AppIndicator installieren und einschalten (Paket "
      "gnome-shell-extension-appindicator).",
      "未找到系统托盘，因此 Ilvex 不显示托盘图标。Alt+Z、屏幕右上角和“ilvex --toggle”仍可显示圆环，"
      "“ilvex --settings”可打开设置。在 GNOME 中，请安装并启用 AppIndicator 扩展"
      "（软件包 gnome-shell-extension-appindicator）。",
      "システムトレイが見つからないため、Ilvex のアイコンは表示されません。Alt+Z、画面右上の角、"
      "「ilvex --toggle」でリングは表示でき、「ilvex --settings」で設定を開けます。GNOME では "
      "AppIndicator 拡張機能（パッケージ gnome-shell-extension-appindicator）を入れて有効にしてください。"}},
    {Key::showSiteIcons,
     {"Show site icons for links", "Mostra le icone dei siti per i link",
      "Mostrar los iconos de los sitios en los enlaces", "Afficher l'icône des sites pour les liens",
      "Website-Symbole für Links anzeigen", "为链接显示网站图标", "リンクにサイトのアイコンを表示"}},
    {Key::updateAvailable,
     {"A new version of Ilvex is available", "È disponibile una nuova versione di Ilvex",
      "Hay una nueva versión de Ilvex", "Une nouvelle version d'Ilvex est disponible",
      "Eine neue Version von Ilvex ist verfügbar", "Ilvex 有新版本可用",
      "Ilvex の新しいバージョンがあります"}},
    {Key::download,
     {"Download", "Scarica", "Descargar", "Télécharger", "Herunterladen", "下载", "ダウンロード"}},
    {Key::updateCheckFailed,
     {"Update check failed", "Controllo aggiornamenti non riuscito", "No se pudieron buscar actualizaciones",
      "La recherche de mises à jour a échoué", "Suche nach Updates fehlgeschlagen", "检查更新失败",
      "アップデートを確認できませんでした"}},
    {Key::updateCheckFailedMessage,
     {"Ilvex could not read the update feed. Check your connection and try again later.",
      "Ilvex non è riuscito a leggere il feed degli aggiornamenti. Controlla la connessione e riprova più "
      "tardi.",
      "Ilvex no pudo leer el canal de actualizaciones. Revisa tu conexión y vuelve a intentarlo más tarde.",
      "Ilvex n'a pas pu lire le flux des mises à jour. Vérifiez votre connexion et réessayez plus tard.",
      "Ilvex konnte den Update-Feed nicht lesen. Prüfe deine Verbindung und versuche es später erneut.",
      "Ilvex 无法读取更新源。请检查网络连接，稍后再试。",
      "Ilvex はアップデート情報を読み込めませんでした。接続を確認して、後でもう一度お試しください。"}},
    {Key::updatesNotConfigured,
     {"This build of Ilvex has no update address, so it cannot check for updates.",
      "Questa build di Ilvex non ha un indirizzo per gli aggiornamenti e non può cercarli.",
      "Esta compilación de Ilvex no tiene dirección de actualizaciones y no puede buscarlas.",
      "Cette version d'Ilvex n'a pas d'adresse de mise à jour et ne peut pas en rechercher.",
      "Dieser Build von Ilvex hat keine Update-Adresse und kann daher nicht nach Updates suchen.",
      "此版本的 Ilvex 没有更新地址，无法检查更新。",
      "このビルドの Ilvex には更新先のアドレスがないため、アップデートを確認できません。"}},
    {Key::exportFailed,
     {"Export failed", "Esportazione non riuscita", "No se pudo exportar", "L'exportation a échoué",
      "Export fehlgeschlagen", "导出失败", "書き出しに失敗しました"}},
    {Key::exportFailedMessage,
     {"The lists could not be written to the chosen file.",
      "Non è stato possibile scrivere le liste nel file scelto.",
      "No se pudieron escribir las listas en el archivo elegido.",
      "Les listes n'ont pas pu être écrites dans le fichier choisi.",
      "Die Listen konnten nicht in die gewählte Datei geschrieben werden.", "无法将列表写入所选文件。",
      "選んだファイルにリストを書き込めませんでした。"}},
    {Key::changesNotSaved,
     {"Your changes could not be saved", "Non è stato possibile salvare le modifiche",
      "No se pudieron guardar los cambios", "Vos modifications n'ont pas pu être enregistrées",
      "Deine Änderungen konnten nicht gespeichert werden", "无法保存你的更改", "変更を保存できませんでした"}},
    {Key::changesNotSavedMessage,
     {"Ilvex keeps them and tries again every few seconds.",
      "Ilvex le conserva e riprova ogni pochi secondi.",
      "Ilvex los conserva y vuelve a intentarlo cada pocos segundos.",
      "Ilvex les conserve et réessaie toutes les quelques secondes.",
      "Ilvex behält sie und versucht es alle paar Sekunden erneut.", "Ilvex 会保留它们，并每隔几秒重试一次。",
      "Ilvex は変更を保持し、数秒ごとに再試行します。"}},
    {Key::importNotWrittenMessage,
     {"The lists could not be written to disk, so nothing was imported.",
      "Non è stato possibile scrivere le liste sul disco, quindi non è stato importato nulla.",
      "No se pudieron escribir las listas en el disco, así que no se importó nada.",
      "Les listes n'ont pas pu être écrites sur le disque ; rien n'a donc été importé.",
      "Die Listen konnten nicht auf die Festplatte geschrieben werden, daher wurde nichts importiert.",
      "无法将列表写入磁盘，因此未导入任何内容。",
      "リストをディスクに書き込めなかったため、何も読み込まれませんでした。"}},
    {Key::listFull,
     {"This list is full: a list holds at most 1,000 items.",
      "Questa lista è piena: una lista contiene al massimo 1.000 elementi.",
      "Esta lista está llena: una lista admite como máximo 1000 elementos.",
      "Cette liste est pleine\u00A0: une liste contient au plus 1\u00A0000 éléments.",
      "Diese Liste ist voll: Eine Liste fasst höchstens 1.000 Elemente.",
      "此列表已满：每个列表最多容纳 1000 个项目。",
      "このリストはいっぱいです。1 つのリストに入る項目は 1,000 個までです。"}},
    {Key::kindApplication,
     {"Application", "Applicazione", "Aplicación", "Application", "Programm", "应用程序",
      "アプリケーション"}},
    {Key::kindGroup, {"Group", "Gruppo", "Grupo", "Groupe", "Gruppe", "群组", "グループ"}},
    {Key::keysHeading, {"Keys", "Tasti", "Teclas", "Touches", "Tasten", "按键", "キー"}},
    {Key::keySelect,
     {"Select the next or previous entry", "Seleziona l'elemento successivo o precedente",
      "Selecciona el elemento siguiente o anterior", "Sélectionner l'élément suivant ou précédent",
      "Nächsten oder vorherigen Eintrag auswählen", "选择下一个或上一个项目", "次または前の項目を選択"}},
    {Key::keyFirstLast,
     {"Select the first or last entry", "Seleziona il primo o l'ultimo elemento",
      "Selecciona el primer o el último elemento", "Sélectionner le premier ou le dernier élément",
      "Ersten oder letzten Eintrag auswählen", "选择第一个或最后一个项目", "最初または最後の項目を選択"}},
    {Key::keyOpen,
     {"Open the selected entry", "Apri l'elemento selezionato", "Abre el elemento seleccionado",
      "Ouvrir l'élément sélectionné", "Ausgewählten Eintrag öffnen", "打开所选项目", "選択した項目を開く"}},
    {Key::keySlot,
     {"Open the entry in that place on the ring", "Apri l'elemento in quella posizione dell'anello",
      "Abre el elemento en esa posición del anillo", "Ouvrir l'élément à cette place de l'anneau",
      "Eintrag an dieser Stelle des Rings öffnen", "打开圆环上该位置的项目", "リングのその位置の項目を開く"}},
    {Key::keyFind,
     {"Type to find an entry by name", "Digita per trovare un elemento per nome",
      "Escribe para buscar un elemento por nombre", "Tapez pour trouver un élément par son nom",
      "Tippen, um einen Eintrag nach Namen zu finden", "键入名称以查找项目", "名前を入力して項目を検索"}},
    {Key::keyBackspace,
     {"Delete the last letter typed", "Cancella l'ultima lettera digitata", "Borra la última letra escrita",
      "Effacer la dernière lettre tapée", "Zuletzt getippten Buchstaben löschen", "删除最后输入的字母",
      "最後に入力した文字を削除"}},
    {Key::keyEscape,
     {"Clear the search, then go back or close", "Cancella la ricerca, poi torna indietro o chiudi",
      "Borra la búsqueda y después vuelve atrás o cierra", "Effacer la recherche, puis revenir ou fermer",
      "Suche löschen, dann zurück oder schließen", "清除搜索，然后返回或关闭", "検索を消去し、戻るか閉じる"}},
    {Key::keyLists,
     {"Next or previous list", "Elenco successivo o precedente", "Lista siguiente o anterior",
      "Liste suivante ou précédente", "Nächste oder vorherige Liste", "下一个或上一个列表",
      "次または前のリスト"}},
    {Key::keyTab,
     {"Move between the ring, the list switcher, the ✎ button and the side panel",
      "Passa tra l'anello, il selettore degli elenchi, il pulsante ✎ e il pannello laterale",
      "Pasa entre el anillo, el selector de listas, el botón ✎ y el panel lateral",
      "Passer entre l'anneau, le sélecteur de listes, le bouton ✎ et le panneau latéral",
      "Zwischen Ring, Listenauswahl, ✎-Taste und Seitenleiste wechseln",
      "在圆环、列表切换器、✎ 按钮和侧面板之间移动",
      "リング、リスト切り替え、✎ ボタン、サイドパネルの間を移動"}},
    {Key::keyMenu,
     {"Open the menu of the selected entry", "Apri il menu dell'elemento selezionato",
      "Abre el menú del elemento seleccionado", "Ouvrir le menu de l'élément sélectionné",
      "Menü des ausgewählten Eintrags öffnen", "打开所选项目的菜单", "選択した項目のメニューを開く"}},
    {Key::searchApplications,
     {"Search applications", "Cerca applicazioni", "Buscar aplicaciones", "Rechercher des applications",
      "Anwendungen suchen", "搜索应用程序", "アプリケーションを検索"}},
    {Key::close, {"Close", "Chiudi", "Cerrar", "Fermer", "Schließen", "关闭", "閉じる"}},
};

constexpr bool rowsFollowKeys() {
    int index = 0;
    for (const Row &row : plainTexts) {
        if (row.key != Key(index++))
            return false;
    }
    return index == int(Key::count);
}
static_assert(rowsFollowKeys(), "one row per key, in the order of ILVEX_L_PLAIN_TEXTS");

// Patterns of the parameterised texts: %1, %2, … stand for the arguments.
constexpr Texts addToPatterns = {
    "Add to “%1”",        "Aggiungi a “%1”", "Añadir a “%1”", "Ajouter à «\u00A0%1\u00A0»",
    "Zu „%1“ hinzufügen", "添加到“%1”",      "「%1」に追加"};
constexpr Texts addToGroupPatterns = {"Add to group “%1”",          "Aggiungi al gruppo “%1”",
                                      "Añadir al grupo “%1”",       "Ajouter au groupe «\u00A0%1\u00A0»",
                                      "Zur Gruppe „%1“ hinzufügen", "添加到群组“%1”",
                                      "グループ「%1」に追加"};
constexpr Texts listColorPatterns = {
    "List color: %1",  "Colore lista: %1", "Color de la lista: %1", "Couleur de la liste : %1",
    "Listenfarbe: %1", "列表颜色：%1",     "リストの色：%1"};
constexpr Texts maxListsPatterns = {"Maximum of %1 lists",  "Massimo %1 liste",    "Máximo %1 listas",
                                    "%1 listes au maximum", "Höchstens %1 Listen", "最多 %1 个列表",
                                    "リストは最大 %1 個"};
constexpr Texts restoreItemsPatterns = {
    "Restore (%1 items)",      "Ripristina (%1 elementi)",       "Restaurar (%1 elementos)",
    "Restaurer (%1 éléments)", "Wiederherstellen (%1 Elemente)", "恢复（%1 个项目）",
    "復元（%1 項目）"};
constexpr Texts siteIconsPrivacyPatterns = {
    "To show a link's icon, Ilvex sends its host name (not the address) to %1 and to the site itself. "
    "“%2” in the settings turns this off.",
    "Per mostrare l'icona di un link, Ilvex invia il nome dell'host (non l'indirizzo) a %1 e al sito "
    "stesso. “%2” nelle impostazioni lo disattiva.",
    "Para mostrar el icono de un enlace, Ilvex envía su nombre de host (no la dirección) a %1 y al propio "
    "sitio. “%2” en los ajustes lo desactiva.",
    "Pour afficher l'icône d'un lien, Ilvex envoie son nom d'hôte (pas l'adresse) à %1 et au site "
    "lui-même. «\u00A0%2\u00A0» dans les réglages le désactive.",
    "Für das Symbol eines Links sendet Ilvex dessen Hostnamen (nicht die Adresse) an %1 und an die Website "
    "selbst. „%2“ in den Einstellungen schaltet das ab.",
    "为显示链接的图标，Ilvex 会将其主机名（而非完整地址）发送给 %1 和该网站本身。可在设置中关闭“%2”。",
    "リンクのアイコンを表示するため、Ilvex はホスト名（アドレス全体ではありません）を %1 "
    "とそのサイトに送信します。"
    "設定の「%2」で止められます。"};
constexpr Texts versionPatterns = {"Version %1 (%2)",   "Versione %1 (%2)", "Versión %1 (%2)",
                                   "Version %1 (%2)",   "Version %1 (%2)",  "版本 %1 (%2)",
                                   "バージョン %1 (%2)"};
constexpr Texts latestVersionPatterns = {
    "Ilvex %1 is the latest version.",   "Ilvex %1 è l'ultima versione.",
    "Ilvex %1 es la última versión.",    "Ilvex %1 est la dernière version.",
    "Ilvex %1 ist die neueste Version.", "Ilvex %1 是最新版本。",
    "Ilvex %1 は最新バージョンです。"};
constexpr Texts updateAvailableMessagePatterns = {"Ilvex %1 is available. You have %2.",
                                                  "Ilvex %1 è disponibile. Hai la %2.",
                                                  "Ilvex %1 está disponible. Tienes la %2.",
                                                  "Ilvex %1 est disponible. Vous avez la %2.",
                                                  "Ilvex %1 ist verfügbar. Du hast %2.",
                                                  "Ilvex %1 现已推出。你的版本是 %2。",
                                                  "Ilvex %1 が利用できます。現在のバージョンは %2 です。"};
constexpr Texts positionOfPatterns = {"%1 of %2",  "%1 di %2",           "%1 de %2",       "%1 sur %2",
                                      "%1 von %2", "第 %1 个，共 %2 个", "%2 件中 %1 件目"};

// The import question in three parts: what the file holds (%1 incoming, %2 have, %3 max), what Replace
// does, and what Add does (%4 room) or that it cannot.
struct ImportChoiceTexts {
    const char *holdsOne;
    const char *holdsMany;
    const char *replace;
    const char *addWithRoom;
    const char *addWithoutRoom;
};
constexpr std::array<ImportChoiceTexts, languageCount> importChoiceTexts = {{
    {"The file contains %1 list. You currently have %2 (max %3).",
     "The file contains %1 lists. You currently have %2 (max %3).",
     "“Replace” overwrites your current lists.", "“Add” appends the imported ones (up to %4 more).",
     "“Add” won't work: no free slots."},
    {"Il file contiene %1 lista. Al momento ne hai %2 (max %3).",
     "Il file contiene %1 liste. Al momento ne hai %2 (max %3).",
     "“Sostituisci” sovrascrive le tue liste attuali.",
     "“Aggiungi” accoda quelle importate (fino a %4 in più).",
     "“Aggiungi” non funzionerà: nessuno spazio libero."},
    {"El archivo contiene %1 lista. Ahora tienes %2 (máx. %3).",
     "El archivo contiene %1 listas. Ahora tienes %2 (máx. %3).",
     "“Reemplazar” sobrescribe tus listas actuales.", "“Añadir” agrega las importadas (hasta %4 más).",
     "“Añadir” no funcionará: no quedan huecos libres."},
    {"Le fichier contient %1 liste. Vous en avez actuellement %2 (max %3).",
     "Le fichier contient %1 listes. Vous en avez actuellement %2 (max %3).",
     "«\u00A0Remplacer\u00A0» écrase vos listes actuelles.",
     "«\u00A0Ajouter\u00A0» ajoute les listes importées (jusqu'à %4 de plus).",
     "«\u00A0Ajouter\u00A0» ne fonctionnera pas : aucun emplacement libre."},
    {"Die Datei enthält %1 Liste. Du hast derzeit %2 (max. %3).",
     "Die Datei enthält %1 Listen. Du hast derzeit %2 (max. %3).",
     "„Ersetzen“ überschreibt deine aktuellen Listen.",
     "„Hinzufügen“ hängt die importierten an (bis zu %4 weitere).",
     "„Hinzufügen“ funktioniert nicht: keine freien Plätze."},
    {"文件包含 %1 个列表。你目前有 %2 个（最多 %3 个）。",
     "文件包含 %1 个列表。你目前有 %2 个（最多 %3 个）。", "“替换”会覆盖你当前的列表。",
     "“添加”会追加导入的列表（最多再添加 %4 个）。", "“添加”无法使用：没有空位。"},
    {"ファイルには %1 個のリストがあります。現在 %2 個です（最大 %3 個）。",
     "ファイルには %1 個のリストがあります。現在 %2 個です（最大 %3 個）。",
     "「置き換え」は今のリストを上書きします。",
     "「追加」は読み込んだリストを後ろに加えます（あと %4 個まで）。",
     "「追加」は使えません：空きがありません。"},
}};

// The colours the program names (themes and folder tints), by English name.
struct ColorRow {
    const char *english;
    Texts texts;
};
constexpr ColorRow colorNames[] = {
    {"Blue", {"Blue", "Blu", "Azul", "Bleu", "Blau", "蓝色", "ブルー"}},
    {"Purple", {"Purple", "Viola", "Morado", "Violet", "Lila", "紫色", "パープル"}},
    {"Green", {"Green", "Verde", "Verde", "Vert", "Grün", "绿色", "グリーン"}},
    {"Orange", {"Orange", "Arancione", "Naranja", "Orange", "Orange", "橙色", "オレンジ"}},
    {"Red", {"Red", "Rosso", "Rojo", "Rouge", "Rot", "红色", "レッド"}},
    {"Teal", {"Teal", "Verde acqua", "Verde azulado", "Bleu canard", "Petrol", "蓝绿色", "ティール"}},
    {"Cyan", {"Cyan", "Ciano", "Cian", "Cyan", "Cyan", "青色", "シアン"}},
    {"Yellow", {"Yellow", "Giallo", "Amarillo", "Jaune", "Gelb", "黄色", "イエロー"}},
    {"Pink", {"Pink", "Rosa", "Rosa", "Rose", "Rosa", "粉色", "ピンク"}},
    {"Grey", {"Grey", "Grigio", "Gris", "Gris", "Grau", "灰色", "グレー"}},
};

std::optional<AppLanguage> cachedLanguage;

// The column of the language texts are shown in now.
int column() {
    const AppLanguage language = L::resolvedLanguage();
    return language == AppLanguage::system ? 0 : int(language) - int(AppLanguage::en);
}

QString pick(const Texts &texts) {
    return QString::fromUtf8(texts[column()]);
}

// Replaces %1…%9 in one pass, so that an argument that itself holds "%2" is inserted as it is.
QString fill(const char *pattern, std::initializer_list<QString> arguments) {
    const QString text = QString::fromUtf8(pattern);
    QString result;
    result.reserve(text.size() + 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size()) {
            const int index = text.at(i + 1).unicode() - u'1';
            if (index >= 0 && index < int(arguments.size())) {
                result += *(arguments.begin() + index);
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

QString text(Key key) {
    return pick(plainTexts[int(key)].texts);
}

} // namespace

AppLanguage L::language() {
    return cachedLanguage.value_or(AppLanguage::system);
}

void L::seedLanguage(AppLanguage language) {
    if (!cachedLanguage)
        cachedLanguage = language;
}

void L::setLanguage(AppLanguage language) {
    cachedLanguage = language;
}

AppLanguage L::resolvedLanguage() {
    const AppLanguage language = L::language();
    return language == AppLanguage::system ? fromSystem() : language;
}

void L::resetLanguageCacheForTesting() {
    cachedLanguage.reset();
}

#define ILVEX_L_DEFINE_TEXT(key)                                                                             \
    QString L::key() {                                                                                       \
        return text(Key::key);                                                                               \
    }
ILVEX_L_PLAIN_TEXTS(ILVEX_L_DEFINE_TEXT)
#undef ILVEX_L_DEFINE_TEXT

QString L::addTo(const QString &name) {
    return fill(addToPatterns[column()], {name});
}

QString L::addToGroup(const QString &name) {
    return fill(addToGroupPatterns[column()], {name});
}

QString L::listColor(const QString &name) {
    return fill(listColorPatterns[column()], {name});
}

QString L::maxLists(int n) {
    return fill(maxListsPatterns[column()], {QString::number(n)});
}

QString L::restoreItems(int n) {
    return fill(restoreItemsPatterns[column()], {QString::number(n)});
}

QString L::version(const QString &version, const QString &build) {
    return fill(versionPatterns[column()], {version, build});
}

QString L::latestVersionMessage(const QString &version) {
    return fill(latestVersionPatterns[column()], {version});
}

QString L::updateAvailableMessage(const QString &newVersion, const QString &currentVersion) {
    return fill(updateAvailableMessagePatterns[column()], {newVersion, currentVersion});
}

QString L::siteIconsPrivacy(const QString &host) {
    return fill(siteIconsPrivacyPatterns[column()], {host, showSiteIcons()});
}

QString L::positionOf(int n, int count) {
    return fill(positionOfPatterns[column()], {QString::number(n), QString::number(count)});
}

QString L::importChoice(int incoming, int have, int max, int room) {
    const ImportChoiceTexts &texts = importChoiceTexts[column()];
    const QString holds = fill(incoming == 1 ? texts.holdsOne : texts.holdsMany,
                               {QString::number(incoming), QString::number(have), QString::number(max)});
    const QString add = room > 0 ? fill(texts.addWithRoom, {{}, {}, {}, QString::number(room)})
                                 : QString::fromUtf8(texts.addWithoutRoom);
    return holds + QStringLiteral("\n\n") + QString::fromUtf8(texts.replace) + u' ' + add;
}

QString L::colorName(const QString &name) {
    for (const ColorRow &row : colorNames) {
        if (name == QLatin1String(row.english))
            return pick(row.texts);
    }
    return name;
}
